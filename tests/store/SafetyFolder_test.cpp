// Where a character's safety folder lies.
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "store/SafetyFolder.h"
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

} // namespace
} // namespace telk
