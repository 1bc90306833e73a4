// An old client below Program Files keeps what it wrote in the VirtualStore:
// the lists show those names too, and a character's files are taken from
// and put back where the client reads them.
#include <gtest/gtest.h>

#include "store/ClientView.h"
#include "store/StoreNames.h"
#include "support/FaultyFileSystem.h"
#include "support/TempDir.h"

namespace telk {
namespace {

class ClientView : public ::testing::Test {
protected:
    ClientView() { fs.RedirectWrites({{dir.Win("Program Files (x86)")}, dir.Win("Local\\VirtualStore")}); }

    // rel below "Program Files (x86)\UO\Desktop", in the real tree or the VirtualStore.
    std::string Real(const std::string& rel) const { return "Program Files (x86)\\UO\\Desktop\\" + rel; }
    std::string Redirected(const std::string& rel) const {
        return "Local\\VirtualStore\\" + dir.Win().substr(3) + "\\" + Real(rel);
    }
    std::string Desktop() const { return dir.Win("Program Files (x86)\\UO\\Desktop"); }

    test::TempDir dir;
    std::unique_ptr<FileSystem> real = test::MakePlatformFileSystem();
    test::FaultyFileSystem fs{*real};
};

TEST_F(ClientView, OnlyProtectedFoldersHaveAPlaceInTheVirtualStore) {
    const VirtualStoreLayout layout{{"C:\\Program Files (x86)", "C:\\Windows\\"}, "C:\\Users\\p\\AppData\\Local\\VirtualStore"};
    const struct {
        const char* path;
        const char* mirror;
    } cases[] = {
        {"C:\\Program Files (x86)\\UO\\Desktop", "C:\\Users\\p\\AppData\\Local\\VirtualStore\\Program Files (x86)\\UO\\Desktop"},
        {"c:\\PROGRAM FILES (X86)", "C:\\Users\\p\\AppData\\Local\\VirtualStore\\PROGRAM FILES (X86)"},
        {"C:\\Windows\\x", "C:\\Users\\p\\AppData\\Local\\VirtualStore\\Windows\\x"},
        {"C:\\Program Files (x86) Old\\UO", ""},
        {"D:\\Games\\UO", ""},
        {"Desktop", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(VirtualStorePath(layout, c.path), c.mirror) << c.path;
    EXPECT_EQ(VirtualStorePath({}, "C:\\Program Files (x86)\\UO"), "");
}

TEST_F(ClientView, ListsShowWhatEitherTreeHolds) {
    dir.MakeFolder(Real("Alice"));
    dir.MakeFolder(Real("Bob"));
    dir.MakeFolder(Redirected("bob"));
    dir.MakeFolder(Redirected("Carol"));
    EXPECT_EQ(ListRuleEntries(ListClientFolder(fs, Desktop())), (std::vector<std::string>{"Alice", "Bob", "Carol"}));

    // A client that only ever wrote through the redirection.
    dir.MakeFolder(Redirected("Carol\\Shard"));
    std::optional<FileError> failure;
    EXPECT_EQ(ListRuleEntries(ListClientFolder(fs, Desktop() + "\\Carol", &failure)), std::vector<std::string>{"Shard"});
    EXPECT_FALSE(failure);
    EXPECT_TRUE(ClientFolderExists(fs, Desktop() + "\\Carol"));
    EXPECT_FALSE(ClientFolderExists(fs, Desktop() + "\\Dave"));
    ListClientFolder(fs, Desktop() + "\\Dave", &failure);
    EXPECT_TRUE(failure);
}

TEST_F(ClientView, TheCharactersFilesAreWhereTheClientReadsThem) {
    const std::string folder = Desktop() + "\\Alice\\Shard\\Hero\\";
    dir.MakeFolder(Real("Alice\\Shard\\Hero"));
    EXPECT_EQ(LiveCharFolder(fs, folder), folder);
    for (const char* name : kCharFiles) dir.WriteBytes(Redirected("Alice\\Shard\\Hero\\") + name, "live");
    EXPECT_EQ(LiveCharFolder(fs, folder), dir.Win(Redirected("Alice\\Shard\\Hero")) + "\\");
    fs.RedirectWrites({});
    EXPECT_EQ(LiveCharFolder(fs, folder), folder);
}

} // namespace
} // namespace telk
