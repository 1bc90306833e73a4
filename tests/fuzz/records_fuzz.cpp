// The readers of the records beside the generations, over whatever lies
// in the file: restore.order, restore.changed, restore.actions and the note. Each takes
// only what its writer writes: what it reads writes back to the same
// bytes, and nothing read names anything outside the store or the
// character folder. The input: a first byte choosing the record, then
// its bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "store/CharFiles.h"
#include "store/restore/GenerationNames.h"
#include "store/restore/Records.h"

using namespace telk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
    case 0:
        if (const auto order = DecodeOrder(bytes)) {
            FUZZ_CHECK(EncodeOrder(*order) == bytes);
            for (const WrittenGeneration& g : *order) {
                FUZZ_CHECK(IsGenerationName(g.name));
                for (const std::string& file : g.added) FUZZ_CHECK(IsCharFileName(file));
            }
        }
        break;
    case 1:
        if (const auto changed = DecodeChanged(bytes)) {
            std::string again = "TELK safety folders to look at\r\n";
            for (const std::string& folder : *changed) {
                again += folder + "\r\n";
                const std::vector<std::string> names = fuzz::Split(folder, '\\');
                FUZZ_CHECK(names.size() == 3);
                for (const std::string& name : names) FUZZ_CHECK(IsPlainName(name));
            }
            FUZZ_CHECK(again == bytes);
        }
        break;
    case 2:
        if (const auto actions = DecodeActions(bytes)) {
            FUZZ_CHECK(EncodeActions(*actions) == bytes);
            for (const GenerationAction& a : *actions)
                FUZZ_CHECK(IsGenerationName(a.generation) && a.seq > 0 && a.slot >= -1 && a.slot < 5);
        }
        break;
    default:
        if (const auto folder = NoteFolder(bytes)) {
            FUZZ_CHECK(folder->ends_with('\\') && folder->find("\r\n") == std::string::npos);
            FUZZ_CHECK(bytes.starts_with("\xEF\xBB\xBF" + *folder + "\r\n"));
        }
        break;
    }
    return 0;
}
