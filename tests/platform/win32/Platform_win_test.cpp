// The Win32 codec, lock and launcher beyond what the shared contract checks.

#include "platform/win32/WinApi.h"

#include <gtest/gtest.h>

#include "../ChildProgram.h"
#include "platform/win32/InstanceLock_win.h"
#include "platform/win32/Launcher_win.h"
#include "platform/win32/TextCodec_win.h"
#include "platform/win32/Utf16.h"

namespace telk::test {
namespace {

TEST(WineSetup, TheAnsiCodePageIsJapanese) {
    // The tests run with LANG=ja_JP.UTF-8; without that locale Wine falls
    // back to 1252 and every CP932 expectation would be meaningless.
    EXPECT_EQ(GetACP(), 932u);
}

TEST(Win32TextCodec, AnExplicitCodePageWins) {
    Win32TextCodec latin(1252);
    EXPECT_EQ(latin.ToAnsi("café"), "caf\xE9");
    EXPECT_EQ(latin.FromAnsi("caf\xE9"), "café");
}

TEST(Utf16, RoundTripsEveryPlane) {
    const std::string text = "C:\\キャラ\\𝄞 é";
    const std::wstring wide = Utf8ToWide(text);
    EXPECT_EQ(wide, L"C:\\キャラ\\\xD834\xDD1E \xE9");
    EXPECT_EQ(WideToUtf8(wide), text);
    EXPECT_EQ(Utf8ToWide(""), L"");
}

TEST(Win32InstanceLock, TheMutexIsVisibleByNameToOtherProcesses) {
    const std::wstring name = L"Local\\TELK.Test.Visible." + std::to_wstring(GetCurrentProcessId());
    Win32InstanceLock lock(name);
    ASSERT_TRUE(lock.Acquire());
    HANDLE other = CreateMutexW(nullptr, FALSE, name.c_str());
    const DWORD error = GetLastError();
    ASSERT_NE(other, nullptr);
    CloseHandle(other);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}

using Win32LauncherTest = ChildProgramTest;

TEST_F(Win32LauncherTest, TheCommandLineIsTheQuotedFullPath) {
    const std::string program = PlaceChild("Program Files\\UO\\client");
    ScopedCurrentFolder inside(dir.Native());
    Win32Launcher().Start("program files\\UO\\client.exe"); // relative to the current folder

    const ChildReport report = WaitForReport();
    EXPECT_TRUE(SamePathNoCase(report.commandLine, "\"" + program + "\"")) << report.commandLine;
    EXPECT_TRUE(SamePathNoCase(report.program, program)) << report.program;
}

TEST_F(Win32LauncherTest, TheShellRouteAlsoStartsExactlyTheNamedProgram) {
    PlaceChild("Program");
    const std::string program = PlaceChild("Program Files\\UO\\client");
    Win32Launcher().StartThroughShell(program);
    EXPECT_TRUE(SamePathNoCase(WaitForReport().program, program));
}

TEST_F(Win32LauncherTest, IsRunningKnowsTheShortNameOfTheProgram) {
    const std::string program = PlaceChild("Program Files\\Ultima Online\\client");
    ScopedEnv hold("TELK_CHILD_HOLD", dir.Native("release"));
    launcher->Start(program);
    WaitForReport();

    wchar_t shortPath[MAX_PATH] = {};
    const DWORD length = GetShortPathNameW(Utf8ToWide(program).c_str(), shortPath, MAX_PATH);
    ASSERT_GT(length, 0u);
    ASSERT_NE(WideToUtf8(shortPath), program) << "no short name to test with";
    EXPECT_TRUE(launcher->IsRunning(WideToUtf8(shortPath))) << WideToUtf8(shortPath);
    dir.WriteBytes("release", "");
    EXPECT_TRUE(WaitUntil([&] { return !launcher->IsRunning(program); }));
}

} // namespace
} // namespace telk::test
