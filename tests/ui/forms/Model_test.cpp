// What every control does, whichever backend shows it: the events a choice
// raises, from code as from the user.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FileError.h"
#include "platform/posix/FileSystem_posix.h"
#include "support/HeadlessUi.h"
#include "ui/forms/Control.h"
#include "ui/forms/Form.h"

namespace telk::ui {
namespace {

namespace fs = std::filesystem;

struct Folder {
    fs::path root;
    Folder() {
        char tmpl[] = "/tmp/telk-model-XXXXXX";
        root = mkdtemp(tmpl);
    }
    ~Folder() { fs::remove_all(root); }
    void Dir(const std::string& rel) const { fs::create_directories(root / rel); }
    void File(const std::string& rel) const { std::ofstream(root / rel) << "x"; }
};

class Sample : public Form {
public:
    explicit Sample(Ui& ui, FileSystem& fs)
        : Form(ui, {"sample", 3000, 2000}),
          Combo1(*this, {"Combo1", -1, {0, 0, 100, 100}, 0}),
          Combo2(*this, {"Combo2", -1, {0, 0, 100, 100}, 1}),
          Option1([&](int i) { return std::make_unique<OptionButton>(*this, ControlLayout{"Option1", i, {}, 2 + i}); }),
          Command1(*this, {"Command1", -1, {}, 5, "go"}),
          Drive1(*this, {"Drive1", -1, {}, 6}, fs),
          Dir1(*this, {"Dir1", -1, {}, 7}, fs),
          File1(*this, {"File1", -1, {}, 8}, Dir1) {
        Combo1.Click = [this] { log.push_back("Combo1:" + Combo1.Text()); Combo2.Clear(); Combo2.AddItem("x"); Combo2.SetListIndex(0); };
        Combo2.Click = [this] { log.push_back("Combo2:" + Combo2.Text()); };
        for (int i = 0; i < 3; ++i) Option1(i).Click = [this, i] { log.push_back("Option1:" + std::to_string(i)); };
        Command1.Click = [this] { log.push_back("Command1"); if (fail) throw FileError("copy", "C:\\a", "denied", 5, FileCause::NoAccess); };
        Dir1.Change = [this] { log.push_back("Dir1:" + Dir1.Path()); };
        Drive1.Change = [this] { log.push_back("Drive1:" + Drive1.Drive()); };
    }
    ComboBox Combo1;
    ComboBox Combo2;
    ControlArray<OptionButton, 3> Option1;
    CommandButton Command1;
    DriveListBox Drive1;
    DirListBox Dir1;
    FileListBox File1;
    std::vector<std::string> log;
    bool fail = false;
};

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Dir("uo/Desktop/acct");
        folder.Dir("uo/Program Files");
        folder.File("uo/client.exe");
        folder.File("uo/readme.txt");
        fs.emplace(std::map<char, std::string>{{'C', folder.root.string()}, {'Q', (folder.root / "missing").string()}});
        form.emplace(ui, *fs);
        form->MarkLoaded(true);
    }
    Folder folder;
    std::optional<PosixFileSystem> fs;
    test::HeadlessUi ui;
    std::optional<Sample> form;
};

TEST_F(ModelTest, SelectionFromCodeRaisesClickAndCascades) {
    form->Combo1.AddItem("a");
    form->Combo1.AddItem("b");
    form->Combo1.SetListIndex(1);
    EXPECT_EQ(form->Combo1.Text(), "b");
    EXPECT_EQ(form->log, (std::vector<std::string>{"Combo1:b", "Combo2:x"}));
    // Typing changes the text only.
    form->log.clear();
    EXPECT_TRUE(form->Combo1.UserType("typed"));
    EXPECT_EQ(form->Combo1.Text(), "typed");
    EXPECT_TRUE(form->log.empty());
    EXPECT_THROW(form->Combo1.SetListIndex(2), std::out_of_range);
    form->Combo1.Clear();
    EXPECT_EQ(form->Combo1.Text(), "");
    EXPECT_EQ(form->Combo1.ListIndex(), -1);
}

TEST_F(ModelTest, OptionButtonsAreOneGroupAndClickOnlyWhenTurnedOn) {
    form->Option1(0).SetValue(true);
    form->Option1(2).SetValue(true);
    form->Option1(2).SetValue(true);
    EXPECT_FALSE(form->Option1(0).Value());
    EXPECT_TRUE(form->Option1(2).Value());
    EXPECT_EQ(form->log, (std::vector<std::string>{"Option1:0", "Option1:2"}));
}

TEST_F(ModelTest, DisabledControlOrFormTakesNoInput) {
    form->Command1.SetEnabled(false);
    EXPECT_FALSE(form->Command1.UserClick());
    form->Command1.SetEnabled(true);
    form->SetEnabled(false);
    EXPECT_FALSE(form->Command1.UserClick());
    EXPECT_FALSE(form->Option1(1).UserChoose());
    EXPECT_FALSE(form->Combo1.UserType("x"));
    form->SetEnabled(true);
    EXPECT_TRUE(form->Command1.UserClick());
    EXPECT_EQ(form->log, (std::vector<std::string>{"Command1"}));
}

TEST_F(ModelTest, OutermostDispatchReportsFailureAndKeepsGoing) {
    form->fail = true;
    ui.SetFailureText([](const std::exception& e) { return std::string("worded: ") + e.what(); });
    EXPECT_TRUE(form->Command1.UserClick());
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_TRUE(test::Told(ui.Boxes()[0], "worded: copy C:\\a: denied"));
    // A nested raise lets the failure through to the handler that raised it.
    bool caught = false;
    ui.Dispatch([&] {
        try {
            form->Command1.Click();
        } catch (const FileError&) {
            caught = true;
        }
    });
    EXPECT_TRUE(caught);
    EXPECT_EQ(ui.Boxes().size(), 1u);
}

TEST_F(ModelTest, ProgramEndIsNotCaughtByTheDispatcher) {
    form->Command1.Click = [this] { ui.EndProgram(); };
    EXPECT_THROW(form->Command1.UserClick(), test::ProgramEnded);
}

TEST_F(ModelTest, FolderListShowsChainAndSubfoldersAndOpensOnlyOnDoubleClick) {
    form->Dir1.SetPath("C:\\uo");
    form->log.clear();
    EXPECT_EQ(form->Dir1.Items(), (std::vector<std::string>{"C:\\", "uo", "Desktop", "Program Files"}));
    EXPECT_EQ(form->Dir1.OpenIndex(), 1);
    EXPECT_TRUE(form->Dir1.UserHighlight(3));
    EXPECT_EQ(form->Dir1.Path(), "C:\\uo");
    EXPECT_TRUE(form->Dir1.UserOpen(3));
    EXPECT_EQ(form->Dir1.Path(), "C:\\uo\\Program Files");
    EXPECT_TRUE(form->Dir1.UserOpen(0));
    EXPECT_EQ(form->Dir1.Path(), "C:\\");
    EXPECT_EQ(form->log, (std::vector<std::string>{"Dir1:C:\\uo\\Program Files", "Dir1:C:\\"}));
}

TEST_F(ModelTest, FolderThatCannotBeListedChangesNothing) {
    form->Dir1.SetPath("C:\\uo");
    form->log.clear();
    EXPECT_THROW(form->Dir1.SetPath("C:\\nowhere"), FileError);
    EXPECT_EQ(form->Dir1.Path(), "C:\\uo");
    EXPECT_EQ(form->Dir1.ListCount(), 4);
    EXPECT_TRUE(form->log.empty());
}

TEST_F(ModelTest, FileListHasOrdinaryFilesAndFileNameOfSelection) {
    form->Dir1.SetPath("C:\\uo\\");
    form->File1.Follow(form->Dir1);
    EXPECT_EQ(form->File1.Items(), (std::vector<std::string>{"client.exe", "readme.txt"}));
    EXPECT_EQ(form->File1.FileName(), "");
    EXPECT_TRUE(form->File1.UserSelect(0));
    EXPECT_EQ(form->File1.FileName(), "client.exe");
}

TEST_F(ModelTest, CentringUsesOuterSizeTopFirst) {
    ui.SetScreen(15000, 9000);
    form->CenterOnScreen();
    const int outerW = 3000 + 2 * test::HeadlessUi::kBorder;
    const int outerH = 2000 + 2 * test::HeadlessUi::kBorder + test::HeadlessUi::kTitle;
    EXPECT_DOUBLE_EQ(form->Top(), (9000.0 - outerH) / 2);
    EXPECT_DOUBLE_EQ(form->Left(), (15000.0 - outerW) / 2);
}

} // namespace
} // namespace telk::ui
