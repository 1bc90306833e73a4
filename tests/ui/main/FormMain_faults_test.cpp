// Every file operation of a back-up and of a restore, failed in turn
// through the window: the user's files stay whole, the user is told, and
// the program goes on.
#include <map>
#include <string>

#include <gtest/gtest.h>

#include <algorithm>

#include "store/Restore.h"
#include "store/StoreNames.h"
#include "store/Transfer.h"
#include "support/RunFixture.h"
#include "ui/launch/FormRunUO.h"
#include "ui/main/FormMain.h"

namespace telk::ui {
namespace {

using test::FaultyFileSystem;
using test::RunFixture;
using Files = std::map<std::string, std::string>;

// Far more operations than a transfer of five files takes.
constexpr int kMaxOperations = 200;

const char* const kDone = "ばっぶあっぷ完了っす！";

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

// The state a run leaves when nothing fails.
struct Clean {
    Files settings;
    Files character;
};

Clean AfterBackUp() {
    World w;
    w.Ui().Answer(Answer::Ok);
    w.Main().Command4.UserClick();
    EXPECT_EQ(w.Ui().LastBoxText(), kDone);
    return {Slots(w), w.Snapshot(CharFolderRel())};
}

Clean AfterRestore() {
    World w;
    w.Ui().Answer(Answer::Ok);
    w.Main().Command5.UserClick();
    EXPECT_NE(w.Prompt(), nullptr);
    return {Slots(w), w.Snapshot(CharFolderRel())};
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
    const Clean clean = AfterBackUp();
    int n = 1;
    for (; n <= kMaxOperations; ++n) {
        SCOPED_TRACE("operation " + std::to_string(n));
        World w;
        const Files settingsBefore = Slots(w);
        const Files charBefore = w.Snapshot(CharFolderRel());

        w.fs.FailNth(n, GetParam());
        w.Ui().Answer(Answer::Ok);
        w.Main().Command4.UserClick();
        if (!w.fs.Fired()) {
            EXPECT_EQ(Slots(w), clean.settings);
            break;
        }
        SCOPED_TRACE(w.fs.Log().at(static_cast<std::size_t>(n - 1)));
        // A step after the swap (removing the previous slot, reading the
        // rows) may fail once the new slot is in place: the back-up stands,
        // and what it could not remove is settled at the next start.
        if (w.Ui().LastBoxText() == kDone) {
            RepairSlotStore(*w.realFs, w.State().AppFolder);
            EXPECT_EQ(Slots(w), clean.settings);
        } else {
            ExpectFailureTold(w);
            EXPECT_EQ(Slots(w), settingsBefore);
            EXPECT_EQ(w.Main().Text1(1).Text(), "renamed");
        }
        EXPECT_EQ(w.Snapshot(CharFolderRel()), charBefore);
        EXPECT_TRUE(w.Main().Command4.CanTakeInput());
        if (::testing::Test::HasFailure()) break;
    }
    EXPECT_GT(n, 5) << "a back-up takes at least one operation a file";
    EXPECT_LE(n, kMaxOperations) << "never ran clean";
}

TEST_P(FormMainFaults, RestoreIsAllOrNothing) {
    const Clean clean = AfterRestore();
    int n = 1;
    for (; n <= kMaxOperations; ++n) {
        SCOPED_TRACE("operation " + std::to_string(n));
        World w;
        const Files settingsBefore = Slots(w);
        const Files charBefore = w.Snapshot(CharFolderRel());

        w.fs.FailNth(n, GetParam());
        w.Ui().Answer(Answer::Ok);
        w.Main().Command5.UserClick();
        EXPECT_EQ(Slots(w), settingsBefore);
        if (!w.fs.Fired()) {
            EXPECT_EQ(w.Snapshot(CharFolderRel()), clean.character);
            EXPECT_NE(w.Prompt(), nullptr);
            break;
        }
        SCOPED_TRACE(w.fs.Log().at(static_cast<std::size_t>(n - 1)));
        if (w.Prompt() != nullptr) {
            // Only a step after the files were all in may fail without
            // undoing the restore: removing a replaced file's old copy or
            // the journal. What is left, the next start takes away.
            Files now = w.Snapshot(CharFolderRel());
            for (auto it = now.begin(); it != now.end();) {
                const bool leftover = it->first.size() > 9 && it->first.ends_with(kBackupSuffix);
                it = leftover ? now.erase(it) : std::next(it);
            }
            EXPECT_EQ(now, clean.character);
            RepairSlotStore(*w.realFs, w.State().AppFolder);
            EXPECT_EQ(w.Snapshot(CharFolderRel()), clean.character);
        } else {
            ExpectFailureTold(w);
            EXPECT_EQ(w.Snapshot(CharFolderRel()), charBefore);
            EXPECT_TRUE(w.Main().Enabled());
            EXPECT_TRUE(w.Main().Command5.CanTakeInput());
        }
        if (::testing::Test::HasFailure()) break;
    }
    EXPECT_GT(n, 5) << "a restore takes at least one operation a file";
    EXPECT_LE(n, kMaxOperations) << "never ran clean";
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
        EXPECT_NE(w.Ui().LastBoxText().find("ディスクがいっぱいみたいっす"), std::string::npos) << w.Ui().LastBoxText();
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
    for (const char* told : {"ディスクがいっぱいみたいっす", "リストアはできたけど、前のファイルを安全コピーに入れきれなかったっす…", "macros.txt.telk-old"})
        EXPECT_NE(full.Ui().LastBoxText().find(told), std::string::npos) << full.Ui().LastBoxText();
    EXPECT_EQ(full.Prompt(), nullptr);
    EXPECT_TRUE(full.Main().Command5.CanTakeInput());
    // While the store stays full a restore waits, and says why.
    full.fs.FailNth(0);
    full.fs.FillStore();
    restore(full);
    EXPECT_NE(full.Ui().LastBoxText().find("それまでリストアはお休みっす"), std::string::npos) << full.Ui().LastBoxText();

    World crashed; // settled as the client saved it, then the client holds a file
    crashed.fs.CrashAtNth(first(false, "ReplaceFile", "macros.txt"));
    EXPECT_THROW(restore(crashed), test::SimulatedCrash);
    crashed.fs.FailNth(0);
    crashed.dir.WriteBytes(CharFolderRel() + "\\desktop.uos", "saved by the client");
    crashed.fs.Hold(crashed.State().CharFolder + "macros.txt");
    crashed.Ui().ClearBoxes();
    restore(crashed);
    ASSERT_EQ(crashed.Ui().Boxes().size(), 3u);
    EXPECT_NE(crashed.Ui().Boxes()[1].text.find("ＵＯが起動中かも"), std::string::npos) << crashed.Ui().Boxes()[1].text;
    EXPECT_NE(crashed.Ui().Boxes()[2].text.find("途中だったリストアを元に戻したけど"), std::string::npos);
    EXPECT_NE(crashed.Ui().Boxes()[2].text.find("desktop.uos\r\n前の中身はここに残ってます"), std::string::npos);
    EXPECT_TRUE(UntoldKept(crashed.fs, crashed.State().AppFolder, crashed.State().CharFolder).empty());
}

INSTANTIATE_TEST_SUITE_P(Modes, FormMainFaults,
                         ::testing::Values(FaultyFileSystem::Mode::Clean, FaultyFileSystem::Mode::HalfDone),
                         [](const ::testing::TestParamInfo<FaultyFileSystem::Mode>& mode) {
                             return mode.param == FaultyFileSystem::Mode::Clean ? "Clean" : "HalfDone";
                         });

} // namespace
} // namespace telk::ui
