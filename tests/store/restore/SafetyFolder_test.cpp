// Where a character's safety folder lies.
#include <optional>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "store/restore/SafetyFolder.h"
#include "store/TransferFixture.h"

namespace telk {
namespace {

// One safety folder a character folder, named so that Windows keeps each
// name as written; the older layout by the last three names only.
TEST_F(TransferTest, SafetyFoldersStayInsideTheStore) {
    const std::string root = app + "SETTINGS\\BeforeRestore\\";
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\UO\\Desktop\\a\\s\\c\\", "a\\s\\c~"},
        {"C:\\UO\\Desktop\\a\\..\\\\..\\", "a\\_\\_~"},
        {"C:\\UO\\Desktop\\trail \\s\\Name.\\", "trail_\\s\\Name_~"},
        {"C:\\UO\\Desktop\\a\\CON\\com1.txt\\", "a\\_CON\\_com1.txt~"},
    };
    for (const auto& [folder, names] : cases) {
        const std::string safety = SafetyFolderPath(app, folder);
        EXPECT_EQ(safety.substr(0, root.size() + std::string(names).size()), root + names) << folder;
        EXPECT_EQ(safety.size(), root.size() + std::string(names).size() + 8) << safety;
    }
    // Spellings of one folder: case, a doubled or missing "\", "/".
    for (const char* same : {"c:\\uo\\Desktop\\\\a\\s\\c\\", "C:/UO/Desktop/a/s/c/"})
        EXPECT_EQ(SafetyFolderPath(app, "C:\\UO\\DESKTOP\\a\\s\\c"), SafetyFolderPath(app, same)) << same;
    EXPECT_NE(SafetyFolderPath(app, "C:\\UO\\Desktop\\a\\s\\c\\"), SafetyFolderPath(app, "C:\\UO3D\\Desktop\\a\\s\\c\\"));
    EXPECT_EQ(LegacySafetyFolderPath(app, "C:\\UO\\Desktop\\a\\..\\c\\"), root + "a\\_\\c");
}

// A safety folder is a character folder's only while its note names it:
// one the note says is another's (a digest both paths share, or a note the
// player edited) is passed by for the next name, never shared.
TEST_F(TransferTest, ASafetyFolderBelongsToTheFolderItsNoteNames) {
    const std::string mine = "C:\\UO\\Desktop\\a\\s\\c\\";
    const std::string first = SafetyFolderPath(app, mine);
    const std::string rel = "Settings" + first.substr(app.size() + std::string(kStoreFolder).size());
    struct Case {
        const char* what;
        std::string note; // empty: none
        std::string found;
    };
    const Case cases[] = {
        {"no folder yet", "", first},
        {"its own note, spelt otherwise", SafetyNote("c:\\uo\\DESKTOP\\a\\\\s\\c\\", ui::kSafetyNoteLines), first},
        {"another folder's", SafetyNote("D:\\UO\\Desktop\\a\\s\\c\\", ui::kSafetyNoteLines), first + "-2"},
        {"edited by hand", "C:\\UO\\Desktop\\a\\s\\c\\\r\n", first + "-2"},
        {"no note", "-", first},
    };
    for (const Case& c : cases) {
        Reset();
        if (!c.note.empty()) dir.MakeFolder(rel);
        if (!c.note.empty() && c.note != "-") dir.WriteBytes(rel + "\\" + kSafetyNoteName, c.note);
        std::optional<std::string> note;
        EXPECT_EQ(FindSafetyFolder(*real, app, mine, &note), c.found) << c.what;
        EXPECT_EQ(note.has_value(), c.found == first && c.note.size() > 1) << c.what;
    }
    // A note of before gets today's words; one the player edited does not.
    const std::string before = SafetyNote(mine, ui::kSafetyNoteLinesBefore);
    EXPECT_EQ(Reworded(before, ui::kSafetyNoteLinesBefore, ui::kSafetyNoteLines), SafetyNote(mine, ui::kSafetyNoteLines));
    EXPECT_EQ(Reworded(before + "mine\r\n", ui::kSafetyNoteLinesBefore, ui::kSafetyNoteLines), std::nullopt);
}

} // namespace
} // namespace telk
