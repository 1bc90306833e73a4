// The common ground of the end-to-end cases: a fresh working folder per test,
// telk.exe started in it, its windows as a user meets them, and the texts
// the program shows.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <string_view>

// The program's words, before <windows.h> can rename what they declare.
#include "store/StoreNames.h"
#include "ui/Texts.h"
#include "ui/forms/Ui.h"

#include "Driver.h"
#include "Sample.h"

namespace e2e {

namespace ui = telk::ui;

// Window captions.
inline const std::wstring kUoSel = Wide(ui::kUoSelCaption);
inline const std::wstring kMain = Wide(ui::kMainCaption);
inline const std::wstring kSetup = Wide(ui::kSetupCaption);
inline const std::wstring kRunUO = Wide(ui::kRunUOCaption);
inline const std::wstring kSelDir = Wide(ui::kSelDirCaption);
inline const std::wstring kSelFile = Wide(ui::kSelFileCaption);

// Message box titles.
inline const std::wstring kTitle = Wide(ui::kProgramTitle);
inline const std::wstring kConfirmTitle = Wide(ui::kConfirmTitle);

// The settings file a first start writes.
inline const std::string kDefault2D = "c:\\Program Files\\Ultima Online 2D\\UO.exe";
inline const std::string kDefault3D = "c:\\Program Files\\Ultima Online 3D\\UO.exe";

// The main window's controls, found by kind, caption and position.
struct MainWindow {
    HWND window = nullptr;
    HWND account = nullptr, shard = nullptr, character = nullptr;
    HWND confirm = nullptr, backup = nullptr, restore = nullptr, quit = nullptr;
    std::array<HWND, 5> option{}, date{}, name{};

    static MainWindow Of(HWND window);
    int ChosenSlot() const; // -1: none
};

// The folder window's controls.
struct UoSelWindow {
    HWND window = nullptr;
    HWND folder = nullptr;
    HWND other = nullptr, accept = nullptr, quit = nullptr, settings = nullptr;
    static UoSelWindow Of(HWND window);
};

class TelkTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    const std::wstring& Work() const { return work_; }
    const std::wstring& Root() const { return root_->Path(); }
    // The sample client install, built on first use.
    const SampleClient& Sample();
    std::wstring Slot(int n) const; // "<work>\Settings\<n>"

    void WriteSettings(const std::vector<std::string>& utf8Lines);
    std::string SettingsBytes() const; // "" when missing
    // telk.ini naming the sample install and the test client as both programs.
    void UseSample();
    // A slot holding files backed up earlier, with its DATA.INI.
    void FillSlot(int n, const SampleCharacter& from, const std::string& date, const std::string& name);

    // Starts telk.exe in the working folder; returns its folder window.
    UoSelWindow Start();
    // Accepts the folder: the main window opens and the folder window goes.
    MainWindow Accept(const UoSelWindow& uoSel);
    // Start, accept, pick the character, confirm it and choose the slot.
    MainWindow StartAtCharacter(const SampleCharacter& character, int slot = 0);
    void SelectCharacter(const MainWindow& main, const SampleCharacter& character);

    // Waits for a message box and checks its title and text (UTF-8).
    MessageBoxSeen ExpectMessage(const std::wstring& title, std::string_view text);
    // Quits from the main window with OK; the program ends.
    void QuitWithOk(const MainWindow& main);
    // Presses back-up or restore and answers the question before it.
    void BackUp(const MainWindow& main, int answer = IDOK);
    void Restore(const MainWindow& main, int answer = IDOK);
    // "なんもしない" on the launch prompt: the prompt goes.
    static void LeavePrompt(HWND prompt);

    DWORD Pid() const { return telk_.Id(); }
    Process telk_;

private:
    std::unique_ptr<TempFolder> root_;
    std::wstring work_;
    std::unique_ptr<SampleClient> sample_;
};

// Two snapshots alike, or what differs.
::testing::AssertionResult SameTree(const Tree& before, const Tree& after);

// Test helpers for files.
// The safety folder below <work>\Settings\BeforeRestore\<account>\<shard>
// whose note names charFolder, and what its newest generation holds; empty
// when there is none.
std::wstring SafetyFolderOf(const std::wstring& work, const SampleCharacter& character, const std::wstring& charFolder);
Tree SafetyCopy(const std::wstring& safety);
void ExpectFolderHoldsCharacter(const std::wstring& folder, const SampleCharacter& character, bool withCfg);
// The slot's DATA.INI as a back-up writes it: the day of the back-up (the
// day it began, or today if midnight passed since) and the name; returns
// the date.
std::string ExpectBackedUp(const std::wstring& slot, const std::string& dayBegun, const std::string& name);
// The test client was started as exactly that file, with no arguments, in
// the folder.
void ExpectClientStarted(const std::wstring& client, const std::wstring& folder);

} // namespace e2e
