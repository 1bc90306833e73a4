// The restore journal's bytes.
#include <string>

#include <gtest/gtest.h>

#include "store/restore/Journal.h"

namespace telk {
namespace {

// A journal reads back as it was written, and nothing else passes for one:
// a line out of place could steer the repair outside the character.
TEST(Journal, ReadsBackAsWrittenAndRefusesWhatItDidNotWrite) {
    Journal journal;
    journal.state = kRestoring;
    journal.charFolder = "C:\\UO\\Desktop\\a\\s\\c\\";
    journal.sourceFolder = "C:\\TELK\\SETTINGS\\2\\";
    journal.items = {{"chardata.mul", true, FileDigest{3, std::string(64, 'a')}}, {"uo.cfg", false, FileDigest{0, std::string(64, 'f')}}};
    journal.suffix = 2;
    journal.leftovers = {"desktop.uos.telk-old"};
    journal.generation = "2026-12-09 07-45-00 (2)";
    journal.backupsInGeneration = true;
    // An undo's: a file from a generation, one from the safety folder itself, one taken away.
    Journal undo = journal;
    undo.items[0].from = "2026-12-01 10-00-00";
    undo.items.push_back({"macros.txt", true, FileDigest{1, std::string(64, 'b')}});
    undo.items.push_back({"desktop.uos", true});
    undo.items.back().takenAway = true;
    for (const Journal& written : {journal, undo}) EXPECT_EQ(DecodeJournal(EncodeJournal(written)), written);
    const std::string bytes = EncodeJournal(journal);
    const std::string head = bytes.substr(0, bytes.find("G "));
    const std::string undoHead = head + "G 2026-12-09 07-45-00\r\n";
    const std::string w = "W 3 " + std::string(64, 'a') + "\r\n", put = undoHead + "1 uo.cfg\r\n" + w;
    // Only an undo, which names its generation, takes away or reads from one.
    for (const std::string& lines : {head + "X uo.cfg", head + "1 uo.cfg\r\n" + w + "F 2026-12-01 10-00-00",
                                     undoHead + "X uo.cfg\r\n" + w, undoHead + "1 uo.cfg\r\nF 2026-12-01 10-00-00",
                                     put + "F 2026-12-09 07-45-00", put + "F ..\\x", undoHead + "X ..\\uo.cfg",
                                     put + "F 2026-12-01 10-00-00\r\nF 2026-12-01 10-00-01", put + "X UO.CFG"})
        EXPECT_FALSE(DecodeJournal(lines + "\r\n")) << lines;
}

} // namespace
} // namespace telk
