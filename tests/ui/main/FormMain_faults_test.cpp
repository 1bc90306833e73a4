// Every file operation of a back-up and of a restore, failed in turn
// through the window: the user's files stay whole, the user is told, and
// the program goes on.
#include <algorithm>
#include <functional>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "store/restore/Restore.h"
#include "store/StoreNames.h"
#include "store/Transfer.h"
#include "support/RunFixture.h"
#include "ui/launch/FormRunUO.h"
#include "ui/main/FormMain.h"
#include "ui/Texts.h"

namespace telk::ui {
namespace {

using test::FaultyFileSystem;
using test::RunFixture;
using Files = std::map<std::string, std::string>;

// Far more operations than a transfer of five files takes.
constexpr int kMaxOperations = 200;

// The slots; the safety copy a restore keeps beside them is checked apart.
Files Slots(const RunFixture& w) {
    Files files = w.Snapshot("Settings");
    std::erase_if(files, [](const auto& entry) { return entry.first.starts_with("BeforeRestore"); });
    return files;
}

std::string CharFolderRel() {
    return RunFixture::CharRel("Acc", "Shard", "Char");
}

// A character with uo.cfg confirmed; slot 1, backed up before, chosen.
struct World : RunFixture {
    World() {
        AddCharacter("Acc", "Shard", "Char", true, "client");
        FillSlot(1, "earlier", true);
        dir.WriteBytes(SlotRel(1) + "\\DATA.INI", DataIni({"01-02-2026", "earlier"}));
        FormMain& main = OpenMain();
        main.Command1.UserClick();
        main.Option1(1).UserChoose();
        main.Text1(1).UserType("renamed");
    }
};

// The folders as a run found or left them.
struct Folders {
    Files settings;
    Files character;
};

Folders Of(const World& w) {
    return {Slots(w), w.Snapshot(CharFolderRel())};
}

// The transfer the button starts, run with its 1st, 2nd, … operation
// failing until a run completes; check sees every run, failed or not,
// with the folders as they were before it.
void FailEachOperation(FaultyFileSystem::Mode mode, CommandButton FormMain::*button,
                       const std::function<void(World&, const Folders&)>& check) {
    int n = 1;
    for (; n <= kMaxOperations; ++n) {
        SCOPED_TRACE("operation " + std::to_string(n));
        World w;
        const Folders before = Of(w);
        w.fs.FailNth(n, mode);
        w.Ui().Answer(Answer::Ok);
        (w.Main().*button).UserClick();
        const bool fired = w.fs.Fired();
        SCOPED_TRACE(fired ? w.fs.Log().at(static_cast<std::size_t>(n - 1)) : "ran clean");
        check(w, before);
        if (!fired || ::testing::Test::HasFailure()) break;
    }
    EXPECT_GT(n, 5) << "a transfer takes at least one operation a file";
    EXPECT_LE(n, kMaxOperations) << "never ran clean";
}

// The folders after the transfer the button starts, when nothing fails.
Folders Clean(CommandButton FormMain::*button) {
    World w;
    w.Ui().Answer(Answer::Ok);
    (w.Main().*button).UserClick();
    return Of(w);
}

void ExpectFailureTold(const World& w) {
    ASSERT_EQ(w.Ui().Boxes().size(), 2u);
    const test::ShownBox& box = w.Ui().Boxes()[1];
    EXPECT_TRUE(test::Told(box));
    // The system's reason reaches the user.
    EXPECT_NE(box.text.find("simulated failure"), std::string::npos) << box.text;
}

class FormMainFaults : public ::testing::TestWithParam<FaultyFileSystem::Mode> {};

TEST_P(FormMainFaults, BackUpIsAllOrNothing) {
    const Folders clean = Clean(&FormMain::Command4);
    FailEachOperation(GetParam(), &FormMain::Command4, [&](World& w, const Folders& before) {
        // A step after the swap (removing the previous slot, reading the
        // rows) may fail once the new slot is in place: the back-up stands,
        // and what it could not remove is settled at the next start.
        if (w.Ui().LastBoxText() == kBackUpDoneText) {
            RepairSlotStore(*w.realFs, w.State().AppFolder);
            EXPECT_EQ(Slots(w), clean.settings);
        } else {
            EXPECT_TRUE(w.fs.Fired()) << w.Ui().LastBoxText();
            ExpectFailureTold(w);
            EXPECT_EQ(Slots(w), before.settings);
            EXPECT_EQ(w.Main().Text1(1).Text(), "renamed");
        }
        EXPECT_EQ(w.Snapshot(CharFolderRel()), before.character);
        EXPECT_TRUE(w.Main().Command4.CanTakeInput());
    });
}

TEST_P(FormMainFaults, RestoreIsAllOrNothing) {
    const Folders clean = Clean(&FormMain::Command5);
    FailEachOperation(GetParam(), &FormMain::Command5, [&](World& w, const Folders& before) {
        EXPECT_EQ(Slots(w), before.settings);
        if (w.Prompt() != nullptr) {
            // Only a step after the files were all in may fail without
            // undoing the restore: removing a replaced file's old copy or
            // the journal. What is left, the next start takes away.
            Files now = w.Snapshot(CharFolderRel());
            std::erase_if(now, [](const auto& entry) {
                return entry.first.size() > 9 && entry.first.ends_with(kBackupSuffix);
            });
            EXPECT_EQ(now, clean.character);
            RepairSlotStore(*w.realFs, w.State().AppFolder);
            EXPECT_EQ(w.Snapshot(CharFolderRel()), clean.character);
        } else {
            EXPECT_TRUE(w.fs.Fired());
            ExpectFailureTold(w);
            EXPECT_EQ(w.Snapshot(CharFolderRel()), before.character);
            EXPECT_TRUE(w.Main().Enabled());
            EXPECT_TRUE(w.Main().Command5.CanTakeInput());
        }
    });
}

// Whichever copy or write of a back-up meets a full disk, the user reads so
// and the slot stays as it was.
TEST(FormMainDiskFull, ABackUpOntoAFullDiskSaysSoAndKeepsTheSlot) {
    int writes = 0;
    for (int n = 1; n <= kMaxOperations; ++n) {
        World w;
        const Files before = Slots(w);
        w.fs.FailNth(n, FaultyFileSystem::Mode::HalfDone);
        w.fs.FailWith(FileCause::DiskFull);
        w.Ui().Answer(Answer::Ok);
        w.Main().Command4.UserClick();
        if (!w.fs.Fired()) break;
        const std::string op = w.fs.FiredAt();
        if (!op.starts_with("CopyFile") && !op.starts_with("WriteFile")) continue;
        SCOPED_TRACE(op);
        ++writes;
        EXPECT_NE(w.Ui().LastBoxText().find(kDiskFullHint), std::string::npos) << w.Ui().LastBoxText();
        EXPECT_EQ(Slots(w), before);
    }
    EXPECT_GE(writes, 6); // the slot's own files, the four new ones, DATA.INI
}

// What a restore leaves waiting reaches the player as it is: previous
// files that a full store could not take are named where they wait, and
// no launch prompt claims the restore complete; what settling an earlier
// restore left as the client saved it is told even when the restore then
// fails.
TEST(FormMainWaits, WhatARestoreLeavesWaitingIsToldAsItIs) {
    auto restore = [](World& w) {
        w.Ui().Answer(Answer::Ok);
        w.Main().Command5.UserClick();
    };
    // The number of the first operation of a clean restore that starts so.
    auto first = [&](bool twoVolumes, const char* operation, const char* file) {
        World w;
        w.fs.SeparateVolumes(twoVolumes);
        w.fs.FailNth(0);
        restore(w);
        const std::string prefix = operation + (" " + w.State().CharFolder) + file;
        const auto& log = w.fs.Log();
        return static_cast<int>(std::find_if(log.begin(), log.end(), [&](const std::string& l) { return l.starts_with(prefix); }) - log.begin()) + 1;
    };
    World full; // the store on another volume fills during the move
    full.fs.SeparateVolumes();
    full.fs.FailWith(FileCause::DiskFull);
    full.fs.FailNth(first(true, "CopyFile", "chardata.mul.telk-old"), FaultyFileSystem::Mode::HalfDone);
    restore(full);
    for (const char* told : {kDiskFullHint, kPreviousNotKept, "macros.txt.telk-old"})
        EXPECT_NE(full.Ui().LastBoxText().find(told), std::string::npos) << full.Ui().LastBoxText();
    EXPECT_EQ(full.Prompt(), nullptr);
    EXPECT_TRUE(full.Main().Command5.CanTakeInput());
    // While the store stays full a restore waits, and says why.
    full.fs.FailNth(0);
    full.fs.FillStore();
    restore(full);
    EXPECT_NE(full.Ui().LastBoxText().find(kRestorePaused), std::string::npos) << full.Ui().LastBoxText();

    // Settled as the client saved it: told after a restore that a held
    // file then stops, and before a back-up goes on.
    for (const bool backUp : {false, true}) {
        SCOPED_TRACE(backUp ? "back-up" : "restore");
        World crashed;
        crashed.fs.CrashAtNth(first(false, "ReplaceFile", "macros.txt"));
        EXPECT_THROW(restore(crashed), test::SimulatedCrash);
        crashed.fs.FailNth(0);
        crashed.dir.WriteBytes(CharFolderRel() + "\\desktop.uos", "saved by the client");
        if (!backUp) crashed.fs.Hold(crashed.State().CharFolder + "macros.txt");
        crashed.Ui().ClearBoxes();
        crashed.Ui().Answer(Answer::Ok);
        (backUp ? crashed.Main().Command4 : crashed.Main().Command5).UserClick();
        const auto& boxes = crashed.Ui().Boxes();
        ASSERT_EQ(boxes.size(), 3u);
        const std::string& own = boxes[backUp ? 2 : 1].text;
        const std::string& saved = boxes[backUp ? 1 : 2].text;
        EXPECT_NE(own.find(backUp ? kBackUpDoneText : kHeldOpenHint), std::string::npos) << own;
        EXPECT_EQ(saved.rfind(kLeftAsSavedText, 0), 0u) << saved;
        EXPECT_NE(saved.find("desktop.uos\r\n" + std::string(kKeptHere)), std::string::npos) << saved;
        EXPECT_TRUE(UntoldKept(crashed.fs, crashed.State().AppFolder, crashed.State().CharFolder).empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, FormMainFaults,
                         ::testing::Values(FaultyFileSystem::Mode::Clean, FaultyFileSystem::Mode::HalfDone),
                         [](const ::testing::TestParamInfo<FaultyFileSystem::Mode>& mode) {
                             return mode.param == FaultyFileSystem::Mode::Clean ? "Clean" : "HalfDone";
                         });

} // namespace
} // namespace telk::ui
