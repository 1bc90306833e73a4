// The restore journal's bytes.
#include <string>

#include <gtest/gtest.h>

#include "store/RestoreJournal.h"

namespace telk {
namespace {

// A journal reads back as it was written, and nothing else passes for one:
// a line out of place could steer the repair outside the character.
TEST(RestoreJournal, ReadsBackAsWrittenAndRefusesWhatItDidNotWrite) {
    Journal journal;
    journal.state = kRestoring;
    journal.charFolder = "C:\\UO\\Desktop\\a\\s\\c\\";
    journal.slotFolder = "C:\\TELK\\SETTINGS\\2\\";
    journal.items = {{"chardata.mul", true, FileDigest{3, std::string(64, 'a')}}, {"uo.cfg", false, FileDigest{0, std::string(64, 'f')}}};
    journal.suffix = 2;
    journal.leftovers = {"desktop.uos.telk-old"};
    journal.generation = "2026-12-09 07-45-00 (2)";
    journal.backupsInGeneration = true;
    const std::string bytes = EncodeJournal(journal);
    ASSERT_TRUE(DecodeJournal(bytes));
    EXPECT_EQ(EncodeJournal(*DecodeJournal(bytes)), bytes);
    const std::string head = bytes.substr(0, bytes.find("G "));
    for (const char* line : {"G 2026-12-09 07-45-0", "G ..\\x", "B 2", "W 3 " /* before any file */, "L ..\\desktop.uos",
                             "1 ..\\chardata.mul", "1 chardata.mul\r\nW 3 abc", "1 chardata.mul\r\nW x ",
                             // A character file taken for a leftover would go once its bytes were kept.
                             "L desktop.uos", "L notes.txt", "1 chardata.mul\r\n0 CHARDATA.MUL",
                             "G 2026-12-09 07-45-00\r\nG 2026-12-09 07-45-01", "B 1\r\nB 1", "S 2\r\nS 3",
                             "L uo.cfg.telk-new2\r\nL uo.cfg.telk-new2"})
        EXPECT_FALSE(DecodeJournal(head + line + "\r\n")) << line;
}

} // namespace
} // namespace telk
