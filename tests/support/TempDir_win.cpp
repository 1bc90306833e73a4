// The test helpers on Win32 (under Wine in the tests): temporary folders
// with extended-length paths, their native access, and the Win32 platform
// objects.

#include "platform/win32/WinApi.h"

#include "support/TempDir.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <thread>

#include "platform/win32/Clock_win.h"
#include "platform/win32/FileSystem_win.h"
#include "platform/win32/InstanceLock_win.h"
#include "platform/win32/Launcher_win.h"
#include "platform/win32/TextCodec_win.h"
#include "platform/win32/Utf16.h"

namespace telk::test {

namespace {

// Extended-length form, so the helpers reach as deep as the code under test.
std::wstring Api(const std::string& path) {
    return ToExtendedLengthPath(Utf8ToWide(path));
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data {};
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

std::wstring LongForm(const std::wstring& path) {
    std::wstring buffer(32768, L'\0');
    const DWORD length = GetLongPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size()) return path;
    buffer.resize(length);
    return buffer;
}

std::string LeafOf(const std::string& path) {
    return path.substr(path.find_last_of('\\') + 1);
}

} // namespace

TempDir::TempDir() {
    wchar_t base[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, base);
    if (length == 0) throw std::runtime_error("no temporary folder");
    // The long form, so that it compares equal to what the current folder
    // reports once a test enters it.
    std::wstring root = LongForm(base);
    if (root.back() != L'\\') root += L'\\';
    static std::atomic<unsigned> counter {0};
    for (;;) {
        const std::wstring candidate = root + L"telk-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                       std::to_wstring(++counter) + L"-" +
                                       std::to_wstring(GetTickCount64() % 100000);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            native_ = WideToUtf8(candidate);
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create a temporary folder");
    }
}

TempDir::~TempDir() {
    RemoveTree(Api(native_));
}

std::string TempDir::Native(const std::string& rel) const {
    return rel.empty() ? native_ : native_ + "\\" + rel;
}

std::string TempDir::Win(const std::string& rel) const {
    return Native(rel);
}

void TempDir::MakeFolder(const std::string& rel) const {
    std::size_t end = 0;
    do {
        end = rel.find('\\', end + 1);
        const std::wstring path = Api(Native(rel.substr(0, end)));
        if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create " + Native(rel));
    } while (end != std::string::npos);
}

void TempDir::WriteBytes(const std::string& rel, const std::string& bytes) const {
    const auto sep = rel.find_last_of('\\');
    if (sep != std::string::npos) MakeFolder(rel.substr(0, sep));
    // OPEN_ALWAYS and truncation: CREATE_ALWAYS refuses a hidden file.
    HANDLE file = CreateFileW(Api(Native(rel)).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + Native(rel));
    DWORD written = 0;
    const bool ok = SetEndOfFile(file) &&
                    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    if (!ok) throw std::runtime_error("cannot write " + Native(rel));
}

std::string TempDir::ReadBytes(const std::string& rel) const {
    HANDLE file = CreateFileW(Api(Native(rel)).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot read " + Native(rel));
    std::string bytes;
    char buffer[8192];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

void TempDir::CopyIn(const std::string& nativeSource, const std::string& rel) const {
    const auto sep = rel.find_last_of('\\');
    if (sep != std::string::npos) MakeFolder(rel.substr(0, sep));
    if (!CopyFileW(Api(nativeSource).c_str(), Api(Native(rel)).c_str(), FALSE))
        throw std::runtime_error("cannot copy " + nativeSource + " to " + Native(rel));
}

bool TempDir::IsFile(const std::string& rel) const {
    const DWORD attributes = GetFileAttributesW(Api(Native(rel)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool TempDir::IsFolder(const std::string& rel) const {
    const DWORD attributes = GetFileAttributesW(Api(Native(rel)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void TempDir::SetReadOnly(const std::string& rel) const {
    const std::wstring path = Api(Native(rel));
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !SetFileAttributesW(path.c_str(), attributes | FILE_ATTRIBUTE_READONLY))
        throw std::runtime_error("cannot mark " + Native(rel) + " read-only");
}

bool TempDir::IsReadOnly(const std::string& rel) const {
    const DWORD attributes = GetFileAttributesW(Api(Native(rel)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

std::vector<std::string> TempDir::Names(const std::string& rel) const {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data {};
    HANDLE find = FindFirstFileW((Api(Native(rel)) + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot list " + Native(rel));
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(WideToUtf8(name));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

ScopedCurrentFolder::ScopedCurrentFolder(const std::string& nativePath)
    : previous_(NativeCurrentFolder()) {
    if (!SetCurrentDirectoryW(Utf8ToWide(nativePath).c_str()))
        throw std::runtime_error("cannot enter " + nativePath);
}

ScopedCurrentFolder::~ScopedCurrentFolder() {
    if (!SetCurrentDirectoryW(Utf8ToWide(previous_).c_str())) std::abort();
}

ScopedEnv::ScopedEnv(std::string name, const std::string& value) : name_(std::move(name)) {
    const std::wstring wideName = Utf8ToWide(name_);
    const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size > 0) {
        std::wstring old(size, L'\0');
        old.resize(GetEnvironmentVariableW(wideName.c_str(), old.data(), size));
        previous_ = WideToUtf8(old);
    }
    SetEnvironmentVariableW(wideName.c_str(), Utf8ToWide(value).c_str());
}

ScopedEnv::~ScopedEnv() {
    const std::wstring wideName = Utf8ToWide(name_);
    SetEnvironmentVariableW(wideName.c_str(), previous_ ? Utf8ToWide(*previous_).c_str() : nullptr);
}

std::string BuildTreePath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    // Wine's drive Z: is the host's root.
    std::string win = "Z:" + path;
    std::replace(win.begin(), win.end(), '/', '\\');
    return win;
}

std::string NativeCurrentFolder() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::wstring buffer(size, L'\0');
    buffer.resize(GetCurrentDirectoryW(size, buffer.data()));
    return WideToUtf8(buffer);
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        Sleep(20);
    }
    return true;
}

bool SamePathNoCase(const std::string& a, const std::string& b) {
    const std::wstring wa = Utf8ToWide(a);
    const std::wstring wb = Utf8ToWide(b);
    return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                                static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
}

std::unique_ptr<FileSystem> MakePlatformFileSystem(FlushObserver flushed) {
    return std::make_unique<Win32FileSystem>(RetryPolicy{}, std::move(flushed));
}

std::unique_ptr<TextCodec> MakeJapaneseTextCodec() {
    return std::make_unique<Win32TextCodec>();
}

std::unique_ptr<Clock> MakePlatformClock() {
    return std::make_unique<Win32Clock>();
}

std::unique_ptr<Launcher> MakePlatformLauncher() {
    return std::make_unique<Win32Launcher>();
}

std::unique_ptr<InstanceLock> MakeInstanceLock(const TempDir& dir, const std::string& name) {
    return std::make_unique<Win32InstanceLock>(Utf8ToWide("Local\\TELK.Test." + LeafOf(dir.Native()) + "." + name));
}

} // namespace telk::test
