// The restore journal's reader, over whatever a damaged disk or a hand
// leaves in the file. What it accepts is a journal the writer could have
// written: written again, it reads back the same, and every name in it
// stays inside its folder.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzSupport.h"
#include "store/CharFiles.h"
#include "store/restore/Generations.h"
#include "store/restore/Journal.h"

using namespace telk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<Journal> journal = DecodeJournal(std::string(reinterpret_cast<const char*>(data), size));
    if (!journal) return 0;
    const std::string bytes = EncodeJournal(*journal);
    const std::optional<Journal> again = DecodeJournal(bytes);
    FUZZ_CHECK(again);
    FUZZ_CHECK(*again == *journal);
    FUZZ_CHECK(EncodeJournal(*again) == bytes);
    FUZZ_CHECK(journal->charFolder.ends_with('\\') && journal->sourceFolder.ends_with('\\'));
    FUZZ_CHECK(journal->generation.empty() || IsGenerationName(journal->generation));
    FUZZ_CHECK(journal->suffix >= 1);
    for (const JournalItem& item : journal->items) {
        FUZZ_CHECK(IsPlainName(item.name));
        // An undo reads from a generation beside its own, never from its own.
        FUZZ_CHECK(item.from.empty() || (IsGenerationName(item.from) && item.from != journal->generation));
        FUZZ_CHECK(!item.takenAway || (item.existed && !item.written));
    }
    for (const std::string& leftover : journal->leftovers) FUZZ_CHECK(IsPlainName(leftover));
    return 0;
}
