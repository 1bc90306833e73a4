// Start-up and the client folder's checks: what a first start creates, a
// second copy, and the folders that end the program after a message.

#include "Fixture.h"

namespace e2e {
namespace {

using Startup = TelkTest;

TEST_F(Startup, FirstStartInAnEmptyFolderCreatesTheSettingsAndTheSlots) {
    const UoSelWindow w = Start();

    EXPECT_EQ(Utf8(TextOf(w.folder)), "C:\\Program Files\\Ultima Online 2D");
    EXPECT_EQ(SettingsBytes(), Cp932Lines({kDefault2D, kDefault3D}));
    Tree expected{{L"telk.ini", SettingsBytes()}, {L"Settings", "/"}};
    for (int n = 0; n < 5; ++n) {
        const std::wstring slot = L"Settings\\" + std::to_wstring(n);
        expected[slot] = "/";
        expected[slot + L"\\DATA.INI"] = Cp932Lines({"未使用", "Slot" + std::to_string(n)});
    }
    const Tree created = Snapshot(Work());
    EXPECT_TRUE(SameTree(expected, created));

    // What the user sees: the window's texts, no system menu, centred.
    for (const char* label : {ui::kUoSelFolderLabel, ui::kUoSelVersion})
        EXPECT_NO_THROW(Control(w.window, Kind::Label, Wide(label))) << label;
    EXPECT_EQ(GetWindowLongPtrW(w.window, GWL_STYLE) & WS_SYSMENU, 0);
    const RECT r = ScreenRect(w.window);
    EXPECT_NEAR(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2, 2);
    EXPECT_NEAR(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 2);
    EXPECT_TRUE(Enabled(w.window));

    // "や～めた" ends the program and writes nothing.
    PostClick(w.quit);
    telk_.WaitExit("quit from the folder window");
    EXPECT_TRUE(SameTree(created, Snapshot(Work())));
}

// Started from inside its zip, Windows runs the program in a folder below
// the temporary folder, which clean-up empties: told once, then the start
// goes on as ever.
TEST_F(Startup, AStartInsideTheTemporaryFolderIsToldOnce) {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    ASSERT_TRUE(n > 0 && n <= MAX_PATH);
    const std::wstring zip = Join(std::wstring(temp, n), L"Temp1_TELK-win64.zip"), inZip = Join(zip, L"TELK");
    RemoveTree(zip);
    MakeFolders(inZip);
    telk_.Start(TelkExe(), inZip);
    Answer(ExpectMessage(kTitle, ui::kTemporaryFolderText),
           IDOK);
    const UoSelWindow w = UoSelWindow::Of(WaitWindow(Pid(), kUoSel));
    EXPECT_FALSE(FindMessageBox(Pid()).has_value());
    EXPECT_TRUE(IsFile(Join(inZip, L"Settings\\2\\DATA.INI")));
    PostClick(w.quit);
    telk_.WaitExit("quit from the folder window");
    RemoveTree(zip);
}

TEST_F(Startup, ASecondCopyEndsAtOnceAndTouchesNothing) {
    const UoSelWindow first = Start();

    TempFolder elsewhere("second-copy");
    Process second;
    second.Start(TelkExe(), elsewhere.Path());
    second.WaitExit("the second copy");
    EXPECT_TRUE(Snapshot(elsewhere.Path()).empty()) << "the second copy created files";

    // The first copy is untouched and still answers.
    EXPECT_TRUE(telk_.Running());
    EXPECT_EQ(FindTopWindow(Pid(), kUoSel), first.window);
    PostClick(first.quit);
    telk_.WaitExit("quit from the folder window");
}

TEST_F(Startup, AFolderThatDoesNotExistEndsTheProgramAfterAMessage) {
    const std::wstring missing = Join(Root(), L"no such client");
    // Line 3 as a run leaves it: the start shows it without the trailing "\".
    WriteSettings({kDefault2D, kDefault3D, Utf8(missing) + "\\"});
    const std::string settings = SettingsBytes();
    const UoSelWindow w = Start();
    EXPECT_EQ(TextOf(w.folder), missing);

    PostClick(w.accept);
    Answer(ExpectMessage(kTitle, ui::kNoFolderText), IDOK);
    telk_.WaitExit("the end after the message");
    EXPECT_EQ(SettingsBytes(), settings);
}

TEST_F(Startup, AnEmptyFolderTextCountsAsAFolderThatDoesNotExist) {
    const UoSelWindow w = Start();
    Type(w.folder, L"");
    PostClick(w.accept);
    Answer(ExpectMessage(kTitle, ui::kNoFolderText), IDOK);
    telk_.WaitExit("the end after the message");
    EXPECT_EQ(SettingsBytes(), Cp932Lines({kDefault2D, kDefault3D}));
}

TEST_F(Startup, AFolderWithoutDesktopEndsTheProgramAfterAMessage) {
    const std::wstring client = Join(Root(), L"UO Games\\never logged in");
    MakeFolders(client);
    WriteBytes(Join(client, L"client.exe"), "MZ");
    const UoSelWindow w = Start();
    const std::string settings = SettingsBytes();

    Type(w.folder, client);
    PostClick(w.accept);
    const MessageBoxSeen box = ExpectMessage(kTitle, ui::kNeverLoggedInText);
    // The wait window stays behind the message; the main window never came.
    EXPECT_NE(FindWaitWindow(Pid()), nullptr);
    EXPECT_EQ(FindTopWindow(Pid(), kMain), nullptr);
    Answer(box, IDOK);
    telk_.WaitExit("the end after the message");
    // The typed folder was never stored.
    EXPECT_EQ(SettingsBytes(), settings);
}

} // namespace
} // namespace e2e
