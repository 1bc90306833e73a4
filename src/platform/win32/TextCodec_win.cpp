// The ANSI code page on Win32, converted through UTF-16 with the system's
// own functions.

#include "platform/win32/WinApi.h"

#include "platform/win32/TextCodec_win.h"

#include "platform/win32/Utf16.h"

namespace telk {

std::string Win32TextCodec::ToAnsi(const std::string& utf8) {
    const std::wstring wide = Utf8ToWide(utf8);
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    // No default character given: the code page's own ("?") stands in for
    // what it lacks.
    const int length = WideCharToMultiByte(codePage_, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage_, 0, wide.data(), size, ansi.data(), length, nullptr, nullptr);
    return ansi;
}

std::string Win32TextCodec::FromAnsi(const std::string& ansi) {
    if (ansi.empty()) return {};
    const int size = static_cast<int>(ansi.size());
    const int length = MultiByteToWideChar(codePage_, 0, ansi.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage_, 0, ansi.data(), size, wide.data(), length);
    return WideToUtf8(wide);
}

} // namespace telk
