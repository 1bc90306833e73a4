// Undoing a restore: what each file becomes, what is told as left as it
// was, and whether the window's item may open.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/TransferFixture.h"
#include "store/restore/UndoRestore.h"

namespace telk {
namespace {

TEST_F(TransferTest, AnUndoDecidesEachFileFromWhatIsRecorded) {
    const std::string uoCfg = std::string(kCharRel) + "\\uo.cfg";
    struct Case {
        const char* what;
        std::function<void()> build; // a restore of slot 2, and what came after
        std::size_t row;             // of the undo window's
        std::vector<std::string> stayed;
        std::function<void()> check;
    };
    const Case cases[] = {
        {"an added file the player removed since is not taken away again",
         [&] {
             FillChar(false);
             Restore(*real); // uo.cfg added
             std::filesystem::remove(dir.Native(uoCfg));
         },
         0, {},
         [&] {
             EXPECT_FALSE(dir.IsFile(uoCfg));
             EXPECT_EQ(dir.ReadBytes(std::string(kCharRel) + "\\macros.txt"), "client macros.txt");
         }},
        // The older copy kept no record of what came after it: a file no
        // source holds is told, though the later generations are recorded.
        {"back to the older copy, past a recorded restore",
         [&] {
             std::filesystem::remove(dir.Native("Settings\\2\\uo.cfg"));
             FillChar(true);
             Restore(*real); // uo.cfg neither replaced nor added
             dir.WriteBytes(safetyRel + "\\desktop.uos", "older");
         },
         1, {"uo.cfg"},
         [&] {
             EXPECT_EQ(dir.ReadBytes(std::string(kCharRel) + "\\desktop.uos"), "older");
             EXPECT_EQ(dir.ReadBytes(uoCfg), "client uo.cfg");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reset();
        FillSlot2();
        c.build();
        const std::vector<UndoPoint> points = ListUndoPoints(*real, app, charFolder);
        ASSERT_GT(points.size(), c.row);
        EXPECT_EQ(UndoRestore(*real, app, charFolder, points[c.row], kNow, ui::kSafetyNoteLines), c.stayed);
        c.check();
    }
    // Twelve restores and undos, then a start: the character's files from
    // before the first restore are still there, listed last, and go back;
    // uo.cfg, which the first left alone and a pruned one replaced, stays.
    Reset();
    FillSlot2();
    FillChar(true);
    const Snapshot client = Char();
    std::filesystem::remove(dir.Native("Settings\\2\\uo.cfg"));
    for (int i = 0; i < 12; ++i) {
        if (i % 2 == 0) {
            Restore(*real);
            dir.WriteBytes("Settings\\2\\uo.cfg", "slot uo.cfg");
        } else {
            UndoRestore(*real, app, charFolder, ListUndoPoints(*real, app, charFolder).at(0), kNow, ui::kSafetyNoteLines);
        }
    }
    RepairSlotStore(*real, app);
    const std::vector<UndoPoint> points = ListUndoPoints(*real, app, charFolder);
    ASSERT_EQ(points.size(), 11u);
    EXPECT_EQ(points.back().generation, kNow);
    ASSERT_TRUE(points.back().action.has_value());
    EXPECT_TRUE(points.back().action->first);
    EXPECT_EQ(points[0].action->kind, GenerationAction::Kind::Undo);
    EXPECT_EQ(UndoRestore(*real, app, charFolder, points.back(), kNow, ui::kSafetyNoteLines),
              std::vector<std::string>{"uo.cfg"});
    Snapshot back = client;
    back["uo.cfg"] = dir.ReadBytes(std::string(kCharRel) + "\\uo.cfg");
    EXPECT_EQ(Char(), back);

    // A note that cannot be read now: the window opens and says why.
    faulty.FailNth(0);
    faulty.Hold(SafetyFolderPath(app, charFolder) + "\\" + kSafetyNoteName);
    EXPECT_TRUE(HasUndoPoints(faulty, app, charFolder));
}

} // namespace
} // namespace telk
