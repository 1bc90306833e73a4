// UTF-8 inside the program, UTF-16 at the Win32 call: the two named
// converters every W function call goes through.
#pragma once

#include <string>
#include <string_view>

namespace telk {

// Invalid input becomes U+FFFD rather than failing: these feed file names
// and messages, where a visible mark beats losing the whole text.
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

} // namespace telk
