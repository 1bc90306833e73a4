// Text as the W functions take and give it: buffers the Get…W functions
// fill, and names compared as the file system compares them.
#pragma once

#include <cstddef>
#include <string>

namespace telk {

// The text that call(buffer, size) fills in, as the Get…W functions of
// Windows do: the length without the terminator when it fit, the size it
// needs (with the terminator) when it did not, 0 when it failed. Empty
// when it failed.
template <class Call>
std::wstring FilledBy(Call call, std::size_t size = 260) {
    std::wstring buffer(size, L'\0');
    for (;;) {
        const auto length = call(buffer.data(), static_cast<unsigned long>(buffer.size()));
        if (length == 0) return {};
        const bool fits = length < buffer.size();
        buffer.resize(length);
        if (fits) return buffer;
    }
}

// Without regard to case, as the file system compares names.
bool SameTextNoCase(const std::wstring& a, const std::wstring& b);

} // namespace telk
