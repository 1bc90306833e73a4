// Folders that are not what the program made: a slot that became a plain
// file, a slot store deleted while the program runs, a DATA.INI that is a
// folder. Nothing crashes, the user reads what happened, nothing is lost.
#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "store/CharFiles.h"
#include "support/RunFixture.h"
#include "ui/Messages.h"
#include "ui/Texts.h"
#include "ui/main/FormMain.h"

namespace telk::ui {
namespace {

using test::RunFixture;

TEST(FormMainHostile, OddSlotStoresAreToldOrMadeGood) {
    struct Case {
        const char* what;
        std::function<void(RunFixture&)> damage;
        const char* told;                                    // how the last box begins
        std::function<void(RunFixture&)> afterwards; // what must hold then
    } cases[] = {
        {"slot 2 is a plain file",
         [](RunFixture& w) {
             std::filesystem::remove_all(w.dir.Native("Settings/2"));
             w.dir.WriteBytes("Settings\\2", "a user's file");
         },
         kFileFailedText,
         [](RunFixture& w) { EXPECT_EQ(w.dir.ReadBytes("Settings\\2"), "a user's file"); }},
        {"the slot store was deleted", [](RunFixture& w) { std::filesystem::remove_all(w.dir.Native("Settings")); },
         kBackUpDoneText, [](RunFixture& w) { EXPECT_TRUE(w.dir.IsFile("Settings\\2\\desktop.uos")); }},
        {"DATA.INI is a folder",
         [](RunFixture& w) {
             std::filesystem::remove(w.dir.Native("Settings/2/DATA.INI"));
             w.dir.MakeFolder("Settings\\2\\DATA.INI");
         },
         kBackUpDoneText, [](RunFixture& w) { EXPECT_TRUE(w.dir.IsFile("Settings\\2\\DATA.INI")); }},
        {"slot 2 is a link to a folder of the player's",
         [](RunFixture& w) {
             std::filesystem::remove_all(w.dir.Native("Settings/2"));
             w.dir.WriteBytes("synced\\mine.txt", "the player's");
             std::filesystem::create_directory_symlink(w.dir.Native("synced"), w.dir.Native("Settings/2"));
         },
         kLinkedSlotText,
         [](RunFixture& w) {
             EXPECT_TRUE(std::filesystem::is_symlink(w.dir.Native("Settings/2")));
             EXPECT_EQ(w.dir.Names("synced"), (std::vector<std::string>{"mine.txt"}));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RunFixture w;
        w.AddCharacter("Acc", "Shard", "Char");
        const auto charBefore = w.Snapshot(RunFixture::CharRel("Acc", "Shard", "Char"));
        FormMain& main = w.OpenMain();
        c.damage(w);
        main.Command1.UserClick();
        main.Option1(2).UserChoose();
        w.Ui().Answer(Answer::Ok);
        main.Command4.UserClick();
        EXPECT_EQ(w.Ui().LastBoxText().rfind(c.told, 0), 0u) << w.Ui().LastBoxText();
        c.afterwards(w);
        EXPECT_EQ(w.Snapshot(RunFixture::CharRel("Acc", "Shard", "Char")), charBefore);
        EXPECT_TRUE(main.Command4.CanTakeInput());
    }
}

// Names as players make them, some outside the Japanese code page the text
// files use, and a character folder past 260 characters: the files go both ways whole; a slot name that cannot be kept
// whole is said to have changed.
TEST(FormMainHostile, OddNamesTravelWholeAndALostCharacterIsTold) {
    struct Case {
        std::string account;
        std::string character;
        std::string slotName;
        bool nameKept;
    } cases[] = {
        {"a,b", " lead", "狩り用, メイン", true},
        {"trail ", "한국어", "", true},
        {"😀", "x", "메인 😀", false},
        {std::string(120, 'a'), std::string(120, 'c'), "past 260 characters", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.character);
        RunFixture w;
        w.AddCharacter(c.account, "Shard", c.character, true);
        const std::string rel = RunFixture::CharRel(c.account, "Shard", c.character);
        const auto files = w.Snapshot(rel);
        FormMain& main = w.OpenMain();
        main.Command1.UserClick();
        main.Option1(3).UserChoose();
        main.Text1(3).UserType(c.slotName);
        w.Ui().Answer(Answer::Ok);
        main.Command4.UserClick();
        ASSERT_EQ(w.Ui().Boxes().size(), c.nameKept ? 2u : 3u);
        EXPECT_EQ(w.Ui().Boxes()[1].text, kBackUpDoneText);
        if (!c.nameKept) {
            EXPECT_EQ(w.Ui().LastBoxText(), kNameNotKeptText);
        }
        EXPECT_EQ(main.Text1(3).Text() == c.slotName, c.nameKept);
        EXPECT_EQ(w.Snapshot(RunFixture::SlotRel(3)).size(), files.size() + 1); // and DATA.INI

        std::filesystem::remove_all(w.dir.Native(rel));
        w.dir.MakeFolder(rel);
        w.Ui().Answer(Answer::Ok);
        main.Command5.UserClick();
        EXPECT_NE(w.Prompt(), nullptr);
        EXPECT_EQ(w.Snapshot(rel), files);
    }
}

// Lists that name no single character folder: a shard with no character
// yet, or a typed "..". A restore would write into the shard's folder or
// above it; it is refused, and nothing there changes.
TEST(FormMainHostile, ARestoreNeedsOneCharacterFolder) {
    for (const char* typed : {"", "..", "a\\..\\..", "x:y"}) {
        SCOPED_TRACE(typed);
        RunFixture w;
        w.AddCharacter("Acc", "Shard", "Char");
        w.FillSlot(0, "slot");
        FormMain& main = w.OpenMain();
        main.Combo3.UserType(typed);
        const auto before = w.Snapshot("UO");
        main.Command1.UserClick();
        w.Ui().Answer(Answer::Ok);
        main.Command5.UserClick();
        EXPECT_EQ(w.Ui().LastBoxText(), kNoCharacterText);
        EXPECT_EQ(w.Prompt(), nullptr);
        EXPECT_EQ(w.Snapshot("UO"), before);
    }
}

// A client below Program Files whose writes Windows redirects: the back-up
// takes the files it really uses, and the restore puts them there.
TEST(FormMainHostile, AVirtualisedClientIsServedWhereItReads) {
    RunFixture w;
    w.fs.RedirectWrites({{w.dir.Win("UO")}, w.dir.Win("VirtualStore")});
    w.AddCharacter("Acc", "Shard", "Char", false, "stale");
    const std::string live = "VirtualStore\\" + w.dir.Win().substr(3) + "\\" + RunFixture::CharRel("Acc", "Shard", "Char");
    for (const char* name : kCharFiles) w.dir.WriteBytes(live + "\\" + name, std::string(name) + " of live");
    FormMain& main = w.OpenMain();
    main.Command1.UserClick();
    main.Option1(1).UserChoose();
    w.Ui().Answer(Answer::Ok);
    main.Command4.UserClick();
    EXPECT_EQ(w.Ui().LastBoxText(), kBackUpDoneText);
    EXPECT_EQ(w.dir.ReadBytes("Settings\\1\\macros.txt"), "macros.txt of live");

    w.FillSlot(2, "slot");
    main.Option1(2).UserChoose();
    w.Ui().Answer(Answer::Ok);
    main.Command5.UserClick();
    ASSERT_NE(w.Prompt(), nullptr);
    EXPECT_EQ(w.dir.ReadBytes(live + "\\macros.txt"), "macros.txt of slot");
}

} // namespace
} // namespace telk::ui
