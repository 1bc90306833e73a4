// The ANSI code page of a POSIX host: the locale's code set (or a given
// one) through iconv.
#pragma once

#include <string>

#include "platform/TextCodec.h"

namespace telk {

class PosixTextCodec : public TextCodec {
public:
    // codeSet is an iconv name ("CP932"); empty means the code set of the
    // locale the environment selects (LC_ALL, LC_CTYPE, LANG).
    explicit PosixTextCodec(std::string codeSet = {});

    std::string ToAnsi(const std::string& utf8) override;
    std::string FromAnsi(const std::string& ansi) override;

    const std::string& CodeSet() const { return codeSet_; }

private:
    std::string codeSet_;
};

} // namespace telk
