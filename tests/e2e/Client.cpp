// Stands in for the game client: records how it was started (its command line
// and its current folder, UTF-8, one a line) in "<its own path>.record", then
// ends; with "--stay" it keeps running, as a client in play, until the test
// ends it (two minutes at most, so none is left behind). The record is
// written under another name and renamed, so a reader that sees it sees it
// whole.

#include <windows.h>

#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[32768];
    const DWORD n = GetModuleFileNameW(nullptr, self, 32768);
    if (!n || n >= 32768) return 2;
    const std::wstring record = std::wstring(self, n) + L".record";
    const std::wstring partial = record + L".part";

    wchar_t folder[32768];
    const DWORD m = GetCurrentDirectoryW(32768, folder);
    const std::string text = Utf8(GetCommandLineW()) + "\n" + Utf8(std::wstring(folder, m < 32768 ? m : 0)) + "\n";

    HANDLE h = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 3;
    DWORD done = 0;
    const BOOL ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
    CloseHandle(h);
    if (!ok || !MoveFileExW(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING)) return 4;
    if (wcsstr(GetCommandLineW(), L" --stay")) Sleep(120000);
    return 0;
}
