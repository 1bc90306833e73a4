// The ANSI code page on Win32, converted through UTF-16 with the system's
// own functions.
#pragma once

#include <string>

#include "platform/TextCodec.h"

namespace telk {

class Win32TextCodec : public TextCodec {
public:
    // codePage 0 (CP_ACP) is the system's ANSI code page.
    explicit Win32TextCodec(unsigned codePage = 0) : codePage_(codePage) {}

    std::string ToAnsi(const std::string& utf8) override;
    std::string FromAnsi(const std::string& ansi) override;

private:
    unsigned codePage_;
};

} // namespace telk
