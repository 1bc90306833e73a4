// A typical run in the main window: the cascading lists, confirming a
// character, a back-up, a restore into another character, the launch prompt
// and the client it starts; and quitting.

#include "Fixture.h"

#include <algorithm>
#include <set>

namespace e2e {
namespace {

using MainRun = TelkTest;

std::set<std::wstring> AsSet(const std::vector<std::wstring>& v) { return {v.begin(), v.end()}; }

// A list shows up to ten of the folder's entries, each once.
void ExpectListOf(HWND list, const std::vector<std::wstring>& folderEntries) {
    const auto shown = Items(list);
    const auto all = AsSet(folderEntries);
    EXPECT_EQ(shown.size(), std::min<std::size_t>(all.size(), 10));
    EXPECT_EQ(AsSet(shown).size(), shown.size()) << "an entry shown twice";
    for (const auto& entry : shown) EXPECT_EQ(all.count(entry), 1u) << Utf8(entry);
}

// The lists below follow the texts shown above them.
void ExpectCascadeConsistent(const MainWindow& main) {
    const std::wstring account = TextOf(main.account), shard = TextOf(main.shard);
    ExpectListOf(main.shard, SampleShards(account));
    ExpectListOf(main.character, SampleNames(account, shard));
    EXPECT_EQ(Selected(main.shard), 0);
    EXPECT_EQ(Selected(main.character), 0);
}

void ExpectRow(const MainWindow& main, int i, const std::string& date, const std::string& name) {
    EXPECT_EQ(Utf8(TextOf(main.date[i])), date) << "slot " << i;
    EXPECT_EQ(Utf8(TextOf(main.name[i])), name) << "slot " << i;
}

TEST_F(MainRun, BackUpRestoreAndLaunchTheClient) {
    const SampleClient& s = Sample();
    UseSample();
    const MainWindow main = Accept(Start());

    // Loaded: every list filled from the tree, nothing confirmed yet.
    EXPECT_EQ(AsSet(Items(main.account)), AsSet(SampleAccounts()));
    EXPECT_EQ(Selected(main.account), 0);
    ExpectCascadeConsistent(main);
    EXPECT_FALSE(Enabled(main.backup));
    EXPECT_FALSE(Enabled(main.restore));
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(Enabled(main.option[i]));
        EXPECT_FALSE(Enabled(main.name[i]));
        ExpectRow(main, i, "", "");
    }

    // Twelve shards: the list takes ten of them; the characters follow its first.
    Pick(main.account, L"beta");
    ASSERT_EQ(SampleShards(L"beta").size(), 12u);
    ExpectCascadeConsistent(main);
    EXPECT_EQ(Items(main.shard).size(), 10u);
    EXPECT_EQ(TextOf(main.shard), Items(main.shard).front());
    Pick(main.account, L"gamma");
    ExpectCascadeConsistent(main);

    // Confirm Mage: the first press asks nothing and shows the fresh slots.
    const SampleCharacter& mage = FindSample(L"alpha", L"Mage");
    SelectCharacter(main, mage);
    Click(main.confirm); // returns when the handler has run: a question would stop it
    for (int i = 0; i < 5; ++i) {
        ExpectRow(main, i, "未使用", "Slot" + std::to_string(i));
        EXPECT_TRUE(Enabled(main.option[i]));
        EXPECT_EQ(Enabled(main.name[i]), i == 0);
    }
    EXPECT_EQ(main.ChosenSlot(), 0);
    EXPECT_TRUE(Enabled(main.backup));
    EXPECT_TRUE(Enabled(main.restore));

    // Slot 2, named in Japanese.
    Choose(main.option[2]);
    EXPECT_EQ(main.ChosenSlot(), 2);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Enabled(main.name[i]), i == 2);
    Type(main.name[2], L"メイン装備");

    // The back-up asks first; Cancel copies nothing.
    const Tree freshSlot = Snapshot(Slot(2));
    BackUp(main, IDCANCEL);
    EXPECT_TRUE(SameTree(freshSlot, Snapshot(Slot(2))));

    const std::string day = Today();
    BackUp(main);
    Answer(ExpectMessage(kTitle, ui::kBackUpDoneText), IDOK);
    const std::string date = ExpectBackedUp(Slot(2), day, "メイン装備");
    ExpectFolderHoldsCharacter(Slot(2), mage, true);
    const Tree slot2 = Snapshot(Slot(2));
    EXPECT_EQ(slot2.size(), 6u) << "the five files and DATA.INI, nothing else";
    ExpectRow(main, 2, date, "メイン装備");
    EXPECT_EQ(main.ChosenSlot(), 2);

    // Confirming anew warns; Cancel keeps the typed name and the chosen slot.
    Choose(main.option[3]);
    Type(main.name[3], L"まだ保存してない");
    const SampleCharacter& samurai = FindSample(L"gamma", L"侍");
    SelectCharacter(main, samurai);
    PostClick(main.confirm);
    Answer(ExpectMessage(kConfirmTitle, ui::kReconfirmQuestion), IDCANCEL);
    EXPECT_EQ(Utf8(TextOf(main.name[3])), "まだ保存してない");
    EXPECT_EQ(main.ChosenSlot(), 3);
    PostClick(main.confirm);
    Answer(ExpectMessage(kConfirmTitle, ui::kReconfirmQuestion), IDOK);
    WaitUntil([&] { return main.ChosenSlot() == 0; }, "slot 0 to be chosen");
    ExpectRow(main, 3, "未使用", "Slot3");
    ExpectRow(main, 2, date, "メイン装備");
    EXPECT_TRUE(Enabled(main.name[0]));

    // Restore slot 2 into the other character, the confirmed one, though the
    // lists now show a third: the launch prompt takes over.
    const std::wstring samuraiFolder = s.CharacterFolder(samurai);
    const SampleCharacter& hero = FindSample(L"alpha", L"Hero");
    const std::wstring heroFolder = s.CharacterFolder(hero);
    const Tree heroBefore = Snapshot(heroFolder);
    SelectCharacter(main, hero);
    Choose(main.option[2]);
    Restore(main);
    HWND prompt = WaitWindow(Pid(), kRunUO);
    EXPECT_FALSE(Enabled(main.window));
    ExpectFolderHoldsCharacter(samuraiFolder, mage, true);
    EXPECT_EQ(Snapshot(samuraiFolder).size(), 5u) << "no temporary file left";
    EXPECT_TRUE(SameTree(slot2, Snapshot(Slot(2))));
    EXPECT_TRUE(SameTree(heroBefore, Snapshot(heroFolder)));
    EXPECT_NO_THROW(Control(prompt, Kind::Label, Wide(ui::kRunUODone)));
    EXPECT_NO_THROW(Control(prompt, Kind::Button, Wide(ui::kRunUO3D)));
    EXPECT_EQ(Focused(prompt), Control(prompt, Kind::Button, Wide(ui::kRunUO2D)));
    // The main window takes no input meanwhile: its back-up asks nothing.
    Click(main.backup);
    EXPECT_FALSE(FindMessageBox(Pid()).has_value());

    // "なんもしない": the main window is back as it was.
    LeavePrompt(prompt);
    WaitUntil([&] { return Enabled(main.window); }, "the main window to be enabled");
    EXPECT_EQ(TextOf(main.character), hero.name);
    EXPECT_TRUE(telk_.Running());

    // Restore again and start the 2D client: the program ends, saving three lines.
    Restore(main);
    prompt = WaitWindow(Pid(), kRunUO);
    PostClick(Control(prompt, Kind::Button, Wide(ui::kRunUO2D)));
    telk_.WaitExit("the end after starting the client");
    ExpectClientStarted(s.client2D, Work());
    EXPECT_EQ(SettingsBytes(), Cp932Lines({Utf8(s.client2D), Utf8(s.client3D), Utf8(s.install) + "\\"}));
}

// The slot rows from the keyboard, keys pressed and posted: Tab enters them
// at the button that is on, the arrow keys move the choice and its name box.
TEST_F(MainRun, TabAndTheArrowKeysChooseTheSlotRows) {
    UseSample();
    const MainWindow main = StartAtCharacter(FindSample(L"alpha", L"Ninja"), 2);
    PressKeys(main.window, {VK_SHIFT, VK_TAB});
    WaitUntil([&] { return Focused(main.window) == main.quit; }, "Shift+Tab to the quit button");
    const std::pair<WORD, int> keys[] = {{VK_TAB, 2}, {VK_DOWN, 3}, {VK_RIGHT, 4}, {VK_DOWN, 0}, {VK_UP, 4}, {VK_LEFT, 3}};
    for (const auto& [key, slot] : keys) {
        if (slot % 2) PostMessageW(Focused(main.window), WM_KEYDOWN, key, 1);
        else PressKeys(main.window, {key});
        WaitUntil([&] { return Focused(main.window) == main.option[slot] && Enabled(main.name[slot]); }, "a key to choose a row");
        for (int i = 0; i < 5; ++i) EXPECT_EQ(Checked(main.option[i]) + Enabled(main.name[i]), 2 * (i == slot)) << i;
    }
    QuitWithOk(main);
}

TEST_F(MainRun, QuitAsksAndCancelKeepsTheProgramRunning) {
    const SampleClient& s = Sample();
    // A settings file of two lines, with the folder typed at the start.
    WriteSettings({Utf8(s.client2D), Utf8(s.client3D)});
    const UoSelWindow w = Start();
    Type(w.folder, s.install);
    const MainWindow main = Accept(w);
    const std::string before = SettingsBytes();

    PostClick(main.quit);
    Answer(ExpectMessage(kConfirmTitle, ui::kQuitQuestion), IDCANCEL);
    EXPECT_TRUE(telk_.Running());
    EXPECT_TRUE(Enabled(main.window));
    EXPECT_EQ(SettingsBytes(), before);

    QuitWithOk(main);
    EXPECT_EQ(SettingsBytes(), Cp932Lines({Utf8(s.client2D), Utf8(s.client3D), Utf8(s.install) + "\\"}));
}

} // namespace
} // namespace e2e
