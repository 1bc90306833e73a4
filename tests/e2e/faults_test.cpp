// Faults the real program must survive: a character file held open by
// another process (the running client, as it were) during a back-up and
// during a restore, a restore while the client runs, and a client program
// that is not there.

#include "Fixture.h"

namespace e2e {
namespace {

using Faults = TelkTest;

// A failure report names the file and hints at the running client.
void ExpectHeldFileReport(const MessageBoxSeen& box, const std::wstring& file) {
    EXPECT_EQ(Utf8(box.title), Utf8(kTitle));
    EXPECT_NE(box.text.find(file), std::wstring::npos) << Utf8(box.text);
    EXPECT_NE(box.text.find(Wide(ui::kHeldOpenHint)), std::wstring::npos) << Utf8(box.text);
}

// A held file is there all the same: the back-up names it and hints at the
// running client, never "missing", never skipped (uo.cfg included).
TEST_F(Faults, ABackUpWhileACharacterFileIsHeldChangesNothing) {
    UseSample();
    const SampleCharacter& hero = FindSample(L"alpha", L"Hero");
    const SampleCharacter& mage = FindSample(L"alpha", L"Mage");
    FillSlot(1, hero, "01-02-2024", "古い装備");
    const std::wstring mageFolder = Sample().CharacterFolder(mage);

    const MainWindow main = StartAtCharacter(mage, 1);
    const Tree slotBefore = Snapshot(Slot(1));
    const Tree characterBefore = Snapshot(mageFolder);
    for (const std::wstring& file : {std::wstring(L"macros.txt"), kCfgFile}) {
        SCOPED_TRACE(Utf8(file));
        Type(main.name[1], L"新しい名前");
        HeldFile held(Join(mageFolder, file));
        BackUp(main);
        const MessageBoxSeen report = WaitMessageBox(Pid());
        ExpectHeldFileReport(report, file);
        Answer(report, IDOK);
        EXPECT_TRUE(SameTree(slotBefore, Snapshot(Slot(1))));
        EXPECT_TRUE(telk_.Running());
        WaitUntil([&] { return Enabled(main.window) && Enabled(main.backup); }, "the main window to be usable");
        EXPECT_EQ(Utf8(TextOf(main.date[1])), "01-02-2024");
    }
    EXPECT_TRUE(SameTree(characterBefore, Snapshot(mageFolder)));

    // Once the files are free the same back-up goes through.
    Type(main.name[1], L"新しい名前");
    const std::string day = Today();
    BackUp(main);
    Answer(ExpectMessage(kTitle, ui::kBackUpDoneText), IDOK);
    ExpectFolderHoldsCharacter(Slot(1), mage, true);
    ExpectBackedUp(Slot(1), day, "新しい名前");
    QuitWithOk(main);
}

TEST_F(Faults, ARestoreWhileACharacterFileIsHeldChangesNothing) {
    UseSample();
    const SampleCharacter& tamer = FindSample(L"alpha", L"Tamer");
    const SampleCharacter& smith = FindSample(L"alpha", L"Smith");
    FillSlot(3, tamer, "03-04-2025", "テイマー");
    const std::wstring smithFolder = Sample().CharacterFolder(smith);

    const MainWindow main = StartAtCharacter(smith, 3);
    const Tree characterBefore = Snapshot(smithFolder);
    const Tree slotBefore = Snapshot(Slot(3));
    {
        HeldFile held(Join(smithFolder, L"desktop.uos"));
        Restore(main);
        const MessageBoxSeen report = WaitMessageBox(Pid());
        ExpectHeldFileReport(report, L"desktop.uos");
        Answer(report, IDOK);
        EXPECT_TRUE(telk_.Running());
        EXPECT_EQ(FindTopWindow(Pid(), kRunUO), nullptr);
        WaitUntil([&] { return Enabled(main.window); }, "the main window to be enabled");
    }
    EXPECT_TRUE(SameTree(characterBefore, Snapshot(smithFolder)));
    EXPECT_TRUE(SameTree(slotBefore, Snapshot(Slot(3))));

    // Once the file is free the restore goes through, "uo.cfg" included.
    Restore(main);
    HWND prompt = WaitWindow(Pid(), kRunUO);
    ExpectFolderHoldsCharacter(smithFolder, tamer, true);
    LeavePrompt(prompt);
    WaitUntil([&] { return Enabled(main.window); }, "the main window to be enabled");
    QuitWithOk(main);
}

TEST_F(Faults, ARestoreWhileTheClientRunsAsksFirst) {
    UseSample();
    const SampleCharacter& ninja = FindSample(L"alpha", L"Ninja");
    const SampleCharacter& tamer = FindSample(L"alpha", L"Tamer");
    FillSlot(0, tamer, "07-08-2025", "テイマー");
    const std::wstring ninjaFolder = Sample().CharacterFolder(ninja);
    // The game in play: another program of the install than the configured ones.
    const std::wstring game = Join(Sample().install, L"client.exe");
    CopyOrThrow(ClientExe(), game);
    Process client;
    client.Start(game, Root(), L"--stay");
    WaitUntil([&] { return ReadClientRecord(game).has_value(); }, "the client to run");

    const MainWindow main = StartAtCharacter(ninja);
    const Tree before = Snapshot(ninjaFolder);
    auto restore = [&] {
        Restore(main);
        const MessageBoxSeen question = WaitMessageBox(Pid());
        EXPECT_EQ(Utf8(question.title), Utf8(kTitle));
        EXPECT_EQ(Utf8(question.text), ui::kRestoreWhileRunningQuestion);
        return question;
    };

    // Cancel: nothing copied, no prompt.
    Answer(restore(), IDCANCEL);
    EXPECT_TRUE(SameTree(before, Snapshot(ninjaFolder)));
    EXPECT_EQ(FindTopWindow(Pid(), kRunUO), nullptr);
    EXPECT_TRUE(Enabled(main.window));

    // OK: the restore goes ahead.
    Answer(restore(), IDOK);
    HWND prompt = WaitWindow(Pid(), kRunUO);
    ExpectFolderHoldsCharacter(ninjaFolder, tamer, true);
    LeavePrompt(prompt);
    QuitWithOk(main);
}

TEST_F(Faults, AClientThatIsNotThereIsReportedAndTheOtherCanStillStart) {
    const SampleClient& s = Sample();
    const std::wstring missing = s.install + L"\\not here\\UO.exe";
    WriteSettings({Utf8(missing), Utf8(s.client3D), Utf8(s.install) + "\\"});
    const SampleCharacter& archer = FindSample(L"gamma", L"Archer");
    FillSlot(4, FindSample(L"alpha", L"Ninja"), "05-06-2025", "忍者");

    const MainWindow main = StartAtCharacter(archer, 4);
    Restore(main);
    HWND prompt = WaitWindow(Pid(), kRunUO);
    const std::string settings = SettingsBytes();

    // The 2D client is missing: told so, nothing saved, the prompt stays.
    PostClick(Control(prompt, Kind::Button, Wide(ui::kRunUO2D)));
    const MessageBoxSeen report = WaitMessageBox(Pid());
    EXPECT_EQ(Utf8(report.title), Utf8(kTitle));
    EXPECT_NE(report.text.find(missing), std::wstring::npos) << Utf8(report.text);
    Answer(report, IDOK);
    EXPECT_TRUE(telk_.Running());
    EXPECT_TRUE(IsWindowVisible(prompt));
    EXPECT_EQ(SettingsBytes(), settings);

    // The 3D client starts as exactly its file, in the working folder.
    PostClick(Control(prompt, Kind::Button, Wide(ui::kRunUO3D)));
    telk_.WaitExit("the end after starting the 3D client");
    ExpectClientStarted(s.client3D, Work());
    EXPECT_FALSE(ReadClientRecord(s.client2D).has_value());
    EXPECT_EQ(SettingsBytes(), Cp932Lines({Utf8(missing), Utf8(s.client3D), Utf8(s.install) + "\\"}));
}

} // namespace
} // namespace e2e
