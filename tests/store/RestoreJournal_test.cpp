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
                             "1 ..\\chardata.mul", "1 chardata.mul\r\nW 3 abc", "1 chardata.mul\r\nW x " })
        EXPECT_FALSE(DecodeJournal(head + line + "\r\n")) << line;
}

} // namespace
} // namespace telk
