// Names compared as the file system compares them: ordinal, without regard
// to case.

#include "platform/win32/WinApi.h"

#include "platform/win32/WideText.h"

namespace telk {

bool SameTextNoCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

} // namespace telk
