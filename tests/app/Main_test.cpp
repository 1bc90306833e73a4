// The start routine on a real working folder: what a first start creates,
// what it reads from an existing telk.ini, what it leaves alone, and that
// no failing step stops it.
#include <algorithm>
#include <filesystem>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/FolderSnapshot.h"
#include "app/Main.h"
#include "store/restore/Generations.h"
#include "store/restore/SafetyFolder.h"
#include "store/SlotStore.h"
#include "support/FaultyFileSystem.h"
#include "support/HeadlessUi.h"
#include "support/RunFixture.h"
#include "support/TempDir.h"
#include "ui/Messages.h"
#include "ui/Texts.h"
#include "ui/Windows.h"
#include "ui/client_folder/FormUoSel.h"

namespace telk {
namespace {

using Names = std::vector<std::string>;

const std::string kDefaultIni =
    "c:\\Program Files\\Ultima Online 2D\\UO.exe\r\nc:\\Program Files\\Ultima Online 3D\\UO.exe\r\n";
const std::string kUnusedCp932 = "\x96\xa2\x8e\x67\x97\x70";

class MainTest : public ::testing::Test, public test::RunFixture {
protected:
    MainTest() : RunFixture(Begin::EmptyFolder) {}

    // A start on the working folder with its own state, through fileSystem.
    ProgramState Prepare(FileSystem& fileSystem) {
        ProgramState fresh;
        Platform p{fileSystem, *codec, clock, launcher, Lock()};
        PrepareStore(fresh, p);
        return fresh;
    }
    ProgramState Prepare() { return Prepare(*realFs); }

    // store: the slot store's name as it stands on disk.
    void ExpectFreshSlot(int slot, const std::string& store = "Settings") {
        const std::string rel = store + "\\" + std::to_string(slot) + "\\DATA.INI";
        EXPECT_EQ(dir.ReadBytes(rel), kUnusedCp932 + "\r\nSlot" + std::to_string(slot) + "\r\n") << rel;
    }

};

TEST_F(MainTest, FirstStartInAnEmptyFolderMakesTheSettingsAndTheStore) {
    telk::Main(Windows());

    EXPECT_EQ(dir.Names(), (Names{"Settings", "telk.ini"}));
    EXPECT_EQ(dir.ReadBytes("telk.ini"), kDefaultIni);
    EXPECT_EQ(dir.Names("Settings"), (Names{"0", "1", "2", "3", "4"}));
    for (int slot = 0; slot < kSlotCount; ++slot) {
        EXPECT_EQ(dir.Names("Settings\\" + std::to_string(slot)), (Names{"DATA.INI"}));
        ExpectFreshSlot(slot);
    }
    EXPECT_EQ(State().UoFolder, "C:\\Program Files\\Ultima Online 2D");
    EXPECT_EQ(State().AppFolder, dir.Win() + "\\");
    EXPECT_EQ(State().Client2DPath, "c:\\Program Files\\Ultima Online 2D\\UO.exe");
    EXPECT_EQ(State().Client3DPath, "c:\\Program Files\\Ultima Online 3D\\UO.exe");

    ui::FormUoSel* first = Get<ui::FormUoSel>();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->Shown());
    EXPECT_TRUE(Ui().Boxes().empty());
}

// telk.exe in Program Files or on a read-only medium: every write fails.
TEST_F(MainTest, AFolderThatCannotBeWrittenIsToldOnceAndTheStartGoesOn) {
    test::FaultyFileSystem readOnly(*realFs);
    std::vector<int> everything(100);
    std::iota(everything.begin(), everything.end(), 1);
    readOnly.FailAt(everything);
    Platform p{readOnly, *codec, clock, launcher, Lock()};
    ui::Windows run{State(), p, Ui()};
    telk::Main(run);
    ASSERT_EQ(Ui().Boxes().size(), 1u);
    EXPECT_TRUE(test::Told(Ui().Boxes()[0], ui::kUnwritableFolderText));
    EXPECT_NE(run.Get<ui::FormUoSel>(), nullptr);
    EXPECT_TRUE(dir.Names().empty());
}

// A working folder inside a temporary folder is told once, before the
// start goes on; a folder that only begins with the same letters is not one.
TEST_F(MainTest, AStartInsideATemporaryFolderIsToldOnce) {
    for (const auto& [temporary, told] : {std::pair{dir.Win(), true}, {dir.Win().substr(0, dir.Win().size() - 1), false}}) {
        test::FaultyFileSystem inTemp(*realFs);
        inTemp.TemporaryFoldersAre({temporary});
        const std::unique_ptr<InstanceLock> own = test::MakeInstanceLock(lockDir, told ? "in-temp" : "beside-temp");
        Platform p{inTemp, *codec, clock, launcher, *own};
        test::HeadlessUi shown;
        ui::Windows run{State(), p, shown};
        telk::Main(run);
        EXPECT_EQ(shown.LastBoxText(), told ? ui::kTemporaryFolderText : "") << temporary;
        EXPECT_LE(shown.Boxes().size(), 1u);
        EXPECT_NE(run.Get<ui::FormUoSel>(), nullptr);
    }
}

TEST_F(MainTest, ASecondCopyEndsAtOnceAndCreatesNothing) {
    std::unique_ptr<InstanceLock> running = test::MakeInstanceLock(lockDir, "telk");
    ASSERT_TRUE(running->Acquire());

    EXPECT_THROW(telk::Main(Windows()), test::ProgramEnded);
    EXPECT_TRUE(dir.Names().empty());
    EXPECT_EQ(State().UoFolder, "");
    EXPECT_EQ(State().AppFolder, "");
    EXPECT_EQ(Get<ui::FormUoSel>(), nullptr);
    EXPECT_TRUE(Ui().Boxes().empty());
}

TEST_F(MainTest, SettingsValuesAreTakenAsTheFileHasThem) {
    struct Case {
        const char* what;
        std::string ini;
        std::string client2D, client3D, uoFolder;
    };
    const std::string def = "C:\\Program Files\\Ultima Online 2D";
    const std::vector<Case> cases = {
        {"two lines keep the default folder", "a.exe\r\nb.exe\r\n", "a.exe", "b.exe", def},
        {"an empty third line is an empty folder", "a.exe\r\nb.exe\r\n\r\n", "a.exe", "b.exe", ""},
        {"one trailing backslash comes off", "a.exe\r\nb.exe\r\nd:\\UO\\\r\n", "a.exe", "b.exe", "d:\\UO"},
        {"only one of two comes off", "a.exe\r\nb.exe\r\nd:\\UO\\\\\r\n", "a.exe", "b.exe", "d:\\UO\\"},
        {"no line end on the last line", "a.exe\r\nb.exe\r\nd:\\UO", "a.exe", "b.exe", "d:\\UO"},
        {"a short file leaves the rest as it was", "a.exe\r\n", "a.exe", "", def},
        {"an empty file reads nothing", "", "", "", def},
        {"a comma moves later values up", "c:\\a,b.exe\r\nc.exe\r\nd:\\UO\\\r\n", "c:\\a", "b.exe", "c.exe"},
    };
    for (const Case& c : cases) {
        dir.WriteBytes("telk.ini", c.ini);
        const ProgramState read = Prepare();
        EXPECT_EQ(read.Client2DPath, c.client2D) << c.what;
        EXPECT_EQ(read.Client3DPath, c.client3D) << c.what;
        EXPECT_EQ(read.UoFolder, c.uoFolder) << c.what;
        EXPECT_EQ(dir.ReadBytes("telk.ini"), c.ini) << c.what << ": an existing file is not rewritten";
    }
}

TEST_F(MainTest, ASettingsFileThatCannotBeMadeOrReadIsSkipped) {
    dir.MakeFolder("telk.ini");
    const ProgramState read = Prepare();
    EXPECT_EQ(read.Client2DPath, "");
    EXPECT_EQ(read.Client3DPath, "");
    EXPECT_EQ(read.UoFolder, "C:\\Program Files\\Ultima Online 2D");
    for (int slot = 0; slot < kSlotCount; ++slot) ExpectFreshSlot(slot);
}

TEST_F(MainTest, ExistingSlotsAreLeftAsTheyAre) {
    // Created before by hand, under another case.
    dir.WriteBytes("SETTINGS\\1\\DATA.INI", "");
    dir.WriteBytes("SETTINGS\\2\\DATA.INI", "12-07-2026\r\nmine\r\n");
    dir.WriteBytes("SETTINGS\\3\\chardata.mul", "saved");
    const auto before1 = dir.ReadBytes("SETTINGS\\1\\DATA.INI");

    Prepare();

    EXPECT_EQ(dir.Names(), (Names{"SETTINGS", "telk.ini"}));
    EXPECT_EQ(dir.Names("SETTINGS"), (Names{"0", "1", "2", "3", "4"}));
    EXPECT_EQ(dir.ReadBytes("SETTINGS\\1\\DATA.INI"), before1);
    EXPECT_EQ(dir.ReadBytes("SETTINGS\\2\\DATA.INI"), "12-07-2026\r\nmine\r\n");
    EXPECT_EQ(dir.Names("SETTINGS\\3"), (Names{"DATA.INI", "chardata.mul"}));
    EXPECT_EQ(dir.ReadBytes("SETTINGS\\3\\chardata.mul"), "saved");
    ExpectFreshSlot(3, "SETTINGS");
    ExpectFreshSlot(0, "SETTINGS");
}

TEST_F(MainTest, AnInterruptedSwapIsRepairedBeforeMissingSlotsAreMade) {
    auto damage = [&] {
        for (const std::string& name : dir.Names()) std::filesystem::remove_all(dir.Native(name));
        Prepare();
        // Cut off between the renames: slot 2 exists only as "2.old".
        std::filesystem::rename(dir.Native("Settings/2"), dir.Native("Settings/2.old"));
        dir.WriteBytes("Settings\\2.old\\DATA.INI", "12-07-2026\r\nsaved\r\n");
        dir.WriteBytes("Settings\\2.old\\chardata.mul", "saved");
        dir.WriteBytes("Settings\\2.new\\chardata.mul", "unfinished");
        // Cut off after the renames: slot 4's old folder is still there.
        for (const char* name : {"chardata.mul", "desktop.uos", "macros.txt", "skillgrp.mul"})
            dir.WriteBytes(std::string("Settings\\4\\") + name, name);
        dir.WriteBytes("Settings\\4.old\\chardata.mul", "retired");
    };
    damage();
    const auto slot4 = test::FolderSnapshot(dir.Native("Settings/4"));
    const auto waiting = test::FolderSnapshot(dir.Native("Settings/2.old"));

    // A start that cannot put slot 2 back makes no empty slot in its place.
    test::FaultyFileSystem faulty(*realFs);
    faulty.FailNth(0);
    Prepare(faulty);
    const auto& log = faulty.Log();
    const auto rename = std::find_if(log.begin(), log.end(), [](const std::string& l) { return l.starts_with("Rename"); });
    ASSERT_NE(rename, log.end());
    damage();
    faulty.FailNth(static_cast<int>(rename - log.begin()) + 1);
    Platform p{faulty, *codec, clock, launcher, Lock()};
    ui::Windows run{State(), p, Ui()};
    telk::Main(run);
    // ...and says, once, where the slot's files wait.
    ASSERT_EQ(Ui().Boxes().size(), 1u);
    EXPECT_EQ(Ui().Boxes()[0].text.rfind(ui::kRepairWaitingText, 0), 0u) << Ui().Boxes()[0].text;
    EXPECT_NE(Ui().Boxes()[0].text.find(dir.Win() + "\\Settings\\2.old"), std::string::npos) << Ui().Boxes()[0].text;
    EXPECT_FALSE(dir.IsFolder("Settings\\2"));
    EXPECT_EQ(test::FolderSnapshot(dir.Native("Settings/2.old")), waiting);

    Prepare();

    EXPECT_EQ(dir.Names("Settings"), (Names{"0", "1", "2", "3", "4"}));
    EXPECT_EQ(dir.ReadBytes("Settings\\2\\DATA.INI"), "12-07-2026\r\nsaved\r\n");
    EXPECT_EQ(dir.ReadBytes("Settings\\2\\chardata.mul"), "saved");
    EXPECT_EQ(test::FolderSnapshot(dir.Native("Settings/4")), slot4);
}

// What settling a restore left as the client saved it and no window told
// (the program stopped first) is told at the next start, once; the start
// keeps the newest ten generations of a character that its record names,
// and only those: a folder of the player's named like one stays.
TEST_F(MainTest, TheStartTellsWhatSettlingKeptOnceAndKeepsTenGenerations) {
    const std::string app = dir.Win() + "\\";
    const std::string safety = "Settings" + SafetyFolderPath(app, "C:\\UO\\Desktop\\a\\s\\c\\").substr(app.size() + 8);
    dir.WriteBytes(safety + "\\restore.untold", "C:\\UO\\desktop.uos\r\nC:\\kept\\desktop.uos\r\n");
    dir.WriteBytes(safety + "\\" + kSafetyNoteName, SafetyNote("C:\\UO\\Desktop\\a\\s\\c\\", ui::kSafetyNoteLines));
    std::vector<WrittenGeneration> order;
    for (int i = 1; i <= 12; ++i) {
        order.push_back({"2026-12-0" + std::to_string(i / 10) + " 10-00-0" + std::to_string(i % 10) + (i == 12 ? " (2)" : ""), {}});
        dir.WriteBytes(safety + "\\" + order.back().name + "\\desktop.uos", "generation " + std::to_string(i));
    }
    dir.WriteBytes(safety + "\\" + kOrderName, EncodeOrder(order));
    dir.WriteBytes(safety + "\\2019-05-05 05-05-05\\desktop.uos", "the player's");
    dir.WriteBytes(safety + "\\desktop.uos", "kept by an older copy");
    for (int start = 0; start < 2; ++start) {
        Ui().ClearBoxes();
        Platform p{*realFs, *codec, clock, launcher, Lock()};
        ui::Windows run{State(), p, Ui()};
        telk::Main(run);
        ASSERT_EQ(Ui().Boxes().size(), start == 0 ? 1u : 0u);
    }
    const Names kept = dir.Names(safety);
    EXPECT_EQ(kept.size(), 14u);
    EXPECT_EQ(kept[0], "2019-05-05 05-05-05");
    EXPECT_EQ(kept[1], "2026-12-00 10-00-03");
    EXPECT_EQ(kept.back(), kSafetyNoteName);
}

TEST_F(MainTest, NoFailingStepStopsTheStart) {
    int failures = 0;
    for (int n = 1; n < 100; ++n) {
        for (const std::string& name : dir.Names()) std::filesystem::remove_all(dir.Native(name));
        test::FaultyFileSystem faulty(*realFs);
        faulty.FailNth(n);
        ProgramState read;
        EXPECT_NO_THROW(read = Prepare(faulty)) << n;
        if (!faulty.Fired()) break;
        ++failures;
        // Whatever failed, the rest was done, and the next start mends it.
        EXPECT_EQ(read.UoFolder, "C:\\Program Files\\Ultima Online 2D") << faulty.FiredAt();
        Prepare();
        EXPECT_EQ(dir.ReadBytes("telk.ini"), kDefaultIni) << faulty.FiredAt();
        for (int slot = 0; slot < kSlotCount; ++slot) ExpectFreshSlot(slot);
    }
    EXPECT_GT(failures, 0);
    // The clean run's result: telk.ini and the five fresh slots, nothing else.
    EXPECT_EQ(dir.Names(), (Names{"Settings", "telk.ini"}));
    EXPECT_EQ(dir.Names("Settings"), (Names{"0", "1", "2", "3", "4"}));
}

} // namespace
} // namespace telk
