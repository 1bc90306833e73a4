// Text conversion: UTF-8 inside the program, the system's ANSI code page
// in its text files (telk.ini, DATA.INI).
#pragma once

#include <string>

namespace telk {

class TextCodec {
public:
    virtual ~TextCodec() = default;
    // A character the code page lacks becomes the code page's default
    // character ("?"): the files stay readable by older copies.
    virtual std::string ToAnsi(const std::string& utf8) = 0;
    virtual std::string FromAnsi(const std::string& ansi) = 0;
};

} // namespace telk
