// The local date and time on Win32, from GetLocalTime, formatted as the
// Clock interface says.

#include "platform/win32/WinApi.h"

#include "platform/win32/Clock_win.h"

#include <cstdio>

namespace telk {

std::string Win32Clock::Today() {
    SYSTEMTIME local {};
    GetLocalTime(&local);
    char text[32]; // room for any int the format could meet
    std::snprintf(text, sizeof text, "%02u-%02u-%04u", static_cast<unsigned>(local.wMonth),
                  static_cast<unsigned>(local.wDay), static_cast<unsigned>(local.wYear));
    return text;
}

std::string Win32Clock::Now() {
    SYSTEMTIME local {};
    GetLocalTime(&local);
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u-%02u-%02u", static_cast<unsigned>(local.wYear),
                  static_cast<unsigned>(local.wMonth), static_cast<unsigned>(local.wDay),
                  static_cast<unsigned>(local.wHour), static_cast<unsigned>(local.wMinute),
                  static_cast<unsigned>(local.wSecond));
    return text;
}

} // namespace telk
