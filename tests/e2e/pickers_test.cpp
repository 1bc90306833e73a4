// The folder window's two side trips: the folder picker, and the settings
// window with its program picker, save and discard.

#include "Fixture.h"

#include <set>

namespace e2e {
namespace {

using Pickers = TelkTest;

HWND OnlyList(HWND form) {
    const auto lists = Controls(form, Kind::List);
    if (lists.size() != 1) throw std::runtime_error("expected one folder list");
    return lists[0];
}

TEST_F(Pickers, TheFolderPickerCancelsAndSelectsTheOpenedFolder) {
    const SampleClient& s = Sample();
    WriteSettings({Utf8(s.client2D), Utf8(s.client3D)});
    const UoSelWindow w = Start();
    const std::wstring shown = TextOf(w.folder);

    // "中止": nothing delivered, the folder window is back.
    PostClick(w.other);
    HWND picker = WaitWindow(Pid(), kSelDir);
    EXPECT_FALSE(Enabled(w.window));
    // It opens on the working folder: the chain ends with it.
    HWND dirs = OnlyList(picker);
    EXPECT_EQ(Controls(picker, Kind::Combo).size(), 1u) << "drive list";
    EXPECT_NE(IndexOf(dirs, L"work"), -1);
    PostClick(Control(picker, Kind::Button, Wide(ui::kSelDirCancel)));
    WaitGone(picker, "the folder picker");
    WaitUntil([&] { return Enabled(w.window); }, "the folder window to be enabled");
    EXPECT_EQ(TextOf(w.folder), shown);

    // "選択": the opened folder, not one merely highlighted.
    PostClick(w.other);
    picker = WaitWindow(Pid(), kSelDir);
    dirs = OnlyList(picker);
    OpenFolder(dirs, s.install);
    WaitUntil([&] { return IndexOf(dirs, L"Desktop") != -1; }, "the install folder's sub-folders");
    Highlight(dirs, IndexOf(dirs, L"Desktop"));
    PostClick(Control(picker, Kind::Button, Wide(ui::kPickChoose)));
    WaitGone(picker, "the folder picker");
    WaitUntil([&] { return Enabled(w.window); }, "the folder window to be enabled");
    EXPECT_EQ(Utf8(TextOf(w.folder)), Utf8(s.install));

    // The picked folder is the one the main window lists, and the one saved.
    const MainWindow main = Accept(w);
    const auto listed = Items(main.account);
    const auto accounts = SampleAccounts();
    EXPECT_EQ(std::set<std::wstring>(listed.begin(), listed.end()), std::set<std::wstring>(accounts.begin(), accounts.end()));
    QuitWithOk(main);
    EXPECT_EQ(SettingsBytes(), Cp932Lines({Utf8(s.client2D), Utf8(s.client3D), Utf8(s.install) + "\\"}));
}

TEST_F(Pickers, TheSettingsWindowPicksSavesAndDiscards) {
    const SampleClient& s = Sample();
    UseSample();
    const UoSelWindow w = Start();

    PostClick(w.settings);
    HWND setup = WaitWindow(Pid(), kSetup);
    EXPECT_FALSE(Enabled(w.window));
    const auto boxes = Controls(setup, Kind::Edit);
    ASSERT_EQ(boxes.size(), 2u);
    HWND path2D = boxes[0], path3D = boxes[1];
    EXPECT_EQ(TextOf(path2D), s.client2D);
    EXPECT_EQ(TextOf(path3D), s.client3D);
    std::vector<HWND> choose;
    for (HWND b : Controls(setup, Kind::Button))
        if (TextOf(b) == Wide(ui::kPickChoose)) choose.push_back(b);
    ASSERT_EQ(choose.size(), 2u); // 2D above 3D

    // The 2D picker: "選択" without a file asks for one and stays open.
    PostClick(choose[0]);
    HWND picker = WaitWindow(Pid(), kSelFile);
    EXPECT_FALSE(Enabled(setup));
    const auto lists = Controls(picker, Kind::List);
    ASSERT_EQ(lists.size(), 2u);
    HWND dirs = lists[0], files = lists[1]; // side by side, folders left
    HWND select = Control(picker, Kind::Button, Wide(ui::kPickChoose));
    PostClick(select);
    Answer(ExpectMessage(kTitle, ui::kNoFileText), IDOK);
    EXPECT_TRUE(IsWindowVisible(picker));
    EXPECT_EQ(TextOf(path2D), s.client2D);

    // Browse to the 3D folder and take its program for the 2D box.
    const std::wstring folder3D = s.client3D.substr(0, s.client3D.find_last_of(L'\\'));
    OpenFolder(dirs, folder3D);
    WaitUntil([&] { return IndexOf(files, L"UO.exe") != -1; }, "UO.exe in the file list");
    Highlight(files, IndexOf(files, L"UO.exe"));
    PostClick(select);
    WaitGone(picker, "the program picker");
    WaitUntil([&] { return Enabled(setup); }, "the settings window to be enabled");
    EXPECT_EQ(Utf8(TextOf(path2D)), Utf8(s.client3D));
    EXPECT_EQ(TextOf(path3D), s.client3D);

    // The 3D picker aborted: both boxes as they were.
    PostClick(choose[1]);
    picker = WaitWindow(Pid(), kSelFile);
    PostClick(Control(picker, Kind::Button, Wide(ui::kSelFileCancel)));
    WaitGone(picker, "the program picker");
    WaitUntil([&] { return Enabled(setup); }, "the settings window to be enabled");
    EXPECT_EQ(Utf8(TextOf(path2D)), Utf8(s.client3D));
    EXPECT_EQ(TextOf(path3D), s.client3D);

    // "廃棄" shows the file's paths again and writes nothing.
    const std::string before = SettingsBytes();
    Click(Control(setup, Kind::Button, Wide(ui::kSetupDiscard)));
    EXPECT_EQ(TextOf(path2D), s.client2D);
    EXPECT_EQ(SettingsBytes(), before);

    // "保存" writes both boxes and the folder as read at start (no "\").
    const std::wstring typed = L"D:\\ゲーム\\UO 3D\\uo3d.exe";
    Type(path3D, typed);
    Click(Control(setup, Kind::Button, Wide(ui::kSetupSave)));
    const std::string saved = Cp932Lines({Utf8(s.client2D), Utf8(typed), Utf8(s.install)});
    EXPECT_EQ(SettingsBytes(), saved);

    // "終了" gives the folder window back; a stray WM_CLOSE there is ignored
    // (it is handled before the next click, which still opens the settings).
    PostClick(Control(setup, Kind::Button, Wide(ui::kSetupClose)));
    WaitGone(setup, "the settings window");
    WaitUntil([&] { return Enabled(w.window); }, "the folder window to be enabled");
    PostMessageW(w.window, WM_CLOSE, 0, 0);
    PostClick(w.settings);
    setup = WaitWindow(Pid(), kSetup);
    EXPECT_TRUE(IsWindowVisible(w.window));
    // Reopened, it shows what the save read back.
    const auto reopened = Controls(setup, Kind::Edit);
    ASSERT_EQ(reopened.size(), 2u);
    EXPECT_EQ(TextOf(reopened[0]), s.client2D);
    EXPECT_EQ(TextOf(reopened[1]), typed);
    PostClick(Control(setup, Kind::Button, Wide(ui::kSetupClose)));
    WaitGone(setup, "the settings window");
    WaitUntil([&] { return Enabled(w.window); }, "the folder window to be enabled");

    // Quitting here writes nothing more.
    PostClick(w.quit);
    telk_.WaitExit("quit from the folder window");
    EXPECT_EQ(SettingsBytes(), saved);
}

} // namespace
} // namespace e2e
