#include "Fixture.h"

#include <shellapi.h>

namespace e2e {

MainWindow MainWindow::Of(HWND window) {
    MainWindow m;
    m.window = window;
    const auto combos = Controls(window, Kind::Combo);
    if (combos.size() != 3) throw std::runtime_error("the main window should have 3 lists, has " + std::to_string(combos.size()));
    m.account = combos[0];
    m.shard = combos[1];
    m.character = combos[2];
    m.confirm = Control(window, Kind::Button, Wide(ui::kMainConfirm));
    m.backup = Control(window, Kind::Button, Wide(ui::kMainBackUp));
    m.restore = Control(window, Kind::Button, Wide(ui::kMainRestore));
    m.quit = Control(window, Kind::Button, Wide(ui::kMainQuit));
    const auto radios = Controls(window, Kind::Radio);
    const auto edits = Controls(window, Kind::Edit);
    const auto labels = Controls(window, Kind::Label);
    if (radios.size() != 5 || edits.size() != 5)
        throw std::runtime_error("the main window should have 5 slot rows");
    for (int i = 0; i < 5; ++i) {
        m.option[i] = radios[i];
        m.name[i] = edits[i];
        // The row's date label: between its option button and its name box.
        const RECT r = ScreenRect(radios[i]);
        for (HWND label : labels) {
            const RECT l = ScreenRect(label);
            const long middle = (l.top + l.bottom) / 2;
            if (middle >= r.top && middle <= r.bottom && l.left >= r.right - 2) m.date[i] = label;
        }
        if (!m.date[i]) throw std::runtime_error("no date label in slot row " + std::to_string(i));
    }
    return m;
}

int MainWindow::ChosenSlot() const {
    for (int i = 0; i < 5; ++i)
        if (Checked(option[i])) return i;
    return -1;
}

UoSelWindow UoSelWindow::Of(HWND window) {
    UoSelWindow w;
    w.window = window;
    const auto edits = Controls(window, Kind::Edit);
    if (edits.size() != 1) throw std::runtime_error("the folder window should have one text box");
    w.folder = edits[0];
    w.other = Control(window, Kind::Button, Wide(ui::kUoSelOther));
    w.accept = Control(window, Kind::Button, Wide(ui::kUoSelAccept));
    w.quit = Control(window, Kind::Button, Wide(ui::kUoSelQuit));
    w.settings = Control(window, Kind::Button, Wide(ui::kUoSelSettings));
    return w;
}

void TelkTest::SetUp() {
    RequireDisplay();
    PrepareWine();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::make_unique<TempFolder>(info->name());
    work_ = Join(root_->Path(), L"work");
    MakeFolders(work_);
}

void TelkTest::TearDown() {
    telk_.Kill();
    sample_.reset();
    root_.reset();
}

const SampleClient& TelkTest::Sample() {
    if (!sample_) sample_ = std::make_unique<SampleClient>(BuildSampleClient(root_->Path(), ClientExe()));
    return *sample_;
}

std::wstring TelkTest::Slot(int n) const { return work_ + L"\\Settings\\" + std::to_wstring(n); }

void TelkTest::WriteSettings(const std::vector<std::string>& utf8Lines) {
    WriteBytes(Join(work_, L"telk.ini"), Cp932Lines(utf8Lines));
}

std::string TelkTest::SettingsBytes() const { return ReadBytes(Join(work_, L"telk.ini")).value_or(""); }

void TelkTest::UseSample() {
    const SampleClient& s = Sample();
    // Line 3 as a previous run leaves it, with its trailing "\".
    WriteSettings({Utf8(s.client2D), Utf8(s.client3D), Utf8(s.install) + "\\"});
}

void TelkTest::FillSlot(int n, const SampleCharacter& from, const std::string& date, const std::string& name) {
    const std::wstring slot = Slot(n);
    for (const auto& file : kRequiredFiles) WriteBytes(Join(slot, file), SampleFileBytes(from, file));
    if (from.hasCfg) WriteBytes(Join(slot, kCfgFile), SampleFileBytes(from, kCfgFile));
    WriteBytes(Join(slot, L"DATA.INI"), Cp932Lines({date, name}));
}

UoSelWindow TelkTest::Start() {
    telk_.Start(TelkExe(), work_);
    return UoSelWindow::Of(WaitWindow(Pid(), kUoSel));
}

MainWindow TelkTest::Accept(const UoSelWindow& uoSel) {
    PostClick(uoSel.accept);
    HWND main = WaitWindow(Pid(), kMain);
    WaitGone(uoSel.window, "the folder window");
    return MainWindow::Of(main);
}

void TelkTest::SelectCharacter(const MainWindow& main, const SampleCharacter& c) {
    Pick(main.account, c.account);
    Pick(main.shard, c.shard);
    Pick(main.character, c.name);
}

MainWindow TelkTest::StartAtCharacter(const SampleCharacter& character, int slot) {
    const MainWindow main = Accept(Start());
    SelectCharacter(main, character);
    Click(main.confirm); // the first confirmation asks nothing
    WaitUntil([&] { return Enabled(main.backup); }, "back-up to be enabled");
    if (slot != 0) Choose(main.option[slot]);
    return main;
}

MessageBoxSeen TelkTest::ExpectMessage(const std::wstring& title, std::string_view text) {
    const MessageBoxSeen box = WaitMessageBox(Pid());
    EXPECT_EQ(Utf8(box.title), Utf8(title));
    EXPECT_EQ(Utf8(box.text), text);
    return box;
}

void TelkTest::QuitWithOk(const MainWindow& main) {
    PostClick(main.quit);
    Answer(ExpectMessage(kConfirmTitle, ui::kQuitQuestion), IDOK);
    telk_.WaitExit("quit with OK");
}

void TelkTest::BackUp(const MainWindow& main, int answer) {
    PostClick(main.backup);
    Answer(ExpectMessage(kTitle, ui::kBackUpQuestion), answer);
}

void TelkTest::Restore(const MainWindow& main, int answer) {
    PostClick(main.restore);
    Answer(ExpectMessage(kTitle, ui::kRestoreQuestion), answer);
}

void TelkTest::LeavePrompt(HWND prompt) {
    PostClick(Control(prompt, Kind::Button, Wide(ui::kRunUONothing)));
    WaitGone(prompt, "the launch prompt");
}

::testing::AssertionResult SameTree(const Tree& before, const Tree& after) {
    if (before == after) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Describe(before, after);
}

void ExpectFolderHoldsCharacter(const std::wstring& folder, const SampleCharacter& c, bool withCfg) {
    for (const auto& file : kRequiredFiles)
        EXPECT_EQ(ReadBytes(Join(folder, file)).value_or("<missing>"), SampleFileBytes(c, file))
            << Utf8(Join(folder, file));
    if (withCfg) {
        EXPECT_EQ(ReadBytes(Join(folder, kCfgFile)).value_or("<missing>"), SampleFileBytes(c, kCfgFile))
            << Utf8(Join(folder, kCfgFile));
    }
}

std::string ExpectBackedUp(const std::wstring& slot, const std::string& dayBegun, const std::string& name) {
    const std::string dataIni = ReadBytes(Join(slot, L"DATA.INI")).value_or("<missing>");
    const std::string date = dataIni == Cp932Lines({dayBegun, name}) ? dayBegun : Today();
    EXPECT_EQ(dataIni, Cp932Lines({date, name})) << Utf8(slot);
    return date;
}

void ExpectClientStarted(const std::wstring& client, const std::wstring& folder) {
    std::optional<ClientRecord> record;
    WaitUntil([&] { return (record = ReadClientRecord(client)).has_value(); }, "the client's record");
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(record->commandLine.c_str(), &argc);
    ASSERT_NE(argv, nullptr);
    EXPECT_EQ(argc, 1) << Utf8(record->commandLine);
    EXPECT_TRUE(SameNoCase(argv[0], client)) << Utf8(argv[0]);
    LocalFree(argv);
    EXPECT_TRUE(SameNoCase(record->folder, folder)) << Utf8(record->folder);
}

namespace {
const std::wstring kNote = Wide(telk::kSafetyNoteName);
}

std::wstring SafetyFolderOf(const std::wstring& work, const SampleCharacter& c, const std::wstring& charFolder) {
    const std::wstring shard = work + L"\\Settings\\BeforeRestore\\" + c.account + L"\\" + c.shard;
    for (const auto& [rel, bytes] : Snapshot(shard)) {
        const auto slash = rel.find(L'\\');
        if (slash == std::wstring::npos || rel.substr(slash + 1) != kNote || !rel.starts_with(c.name + L"~")) continue;
        // The note: a UTF-8 mark, the folder with its "\", CR LF, a line of explanation.
        const std::size_t end = bytes.find("\\\r\n");
        if (bytes.starts_with("\xEF\xBB\xBF") && end != std::string::npos &&
            SameNoCase(Wide(bytes.substr(3, end - 3)), charFolder))
            return Join(shard, rel.substr(0, slash));
    }
    ADD_FAILURE() << "no safety folder names " << Utf8(charFolder) << " below " << Utf8(shard);
    return L"<none>";
}

// The newest generation: the one the order record names last.
Tree SafetyCopy(const std::wstring& safety) {
    const Tree tree = Snapshot(safety);
    const auto order = tree.find(Wide(telk::kOrderName));
    if (order == tree.end()) {
        ADD_FAILURE() << "no " << telk::kOrderName << " in " << Utf8(safety);
        return {};
    }
    const std::string& record = order->second; // "...\r\n<name>[\t<added>...]\r\n"
    const std::size_t lineStart = record.rfind("\r\n", record.size() - 3) + 2;
    const std::string last = record.substr(lineStart, record.size() - 2 - lineStart);
    const std::wstring newest = Wide(last.substr(0, last.find('\t')));
    Tree generation;
    for (const auto& [rel, bytes] : tree)
        if (rel.starts_with(newest + L"\\")) generation[rel.substr(newest.size() + 1)] = bytes;
    return generation;
}

} // namespace e2e
