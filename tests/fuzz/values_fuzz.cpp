// telk.ini and DATA.INI holding any bytes at all. The reader comes to an
// end, every value is UTF-8 without a line end, the two file readers give
// the reader's first values, and what was read, written and read again
// stays the same: the program rewrites telk.ini at every exit, so a value
// that changed on the way would drift a little further each time.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "store/Settings.h"
#include "store/SlotStore.h"
#include "store/TextValues.h"

using namespace telk;
using namespace telk::fuzz;

namespace {

std::vector<std::string> ReadAll(TextCodec& codec, const std::string& bytes) {
    ValueReader reader(codec, bytes);
    std::vector<std::string> values;
    while (std::optional<std::string> value = reader.Next()) {
        FUZZ_CHECK(values.size() < bytes.size()); // each value takes a byte at least
        values.push_back(*value);
    }
    std::string target = "kept";
    FUZZ_CHECK(!reader.Read(target) && target == "kept" && !reader.Next());
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // Japanese first; another code set besides, by the input's length.
    for (const std::string codeSet : {kCodeSets[0], kCodeSets[1 + size % (std::size(kCodeSets) - 1)]}) {
        TextCodec& codec = Codec(codeSet);
        const std::vector<std::string> values = ReadAll(codec, bytes);
        for (const std::string& value : values) {
            FUZZ_CHECK(IsUtf8(value));
            FUZZ_CHECK(value.find_first_of("\r\n") == std::string::npos);
        }
        auto nth = [&](std::size_t i) { return i < values.size() ? std::optional(values[i]) : std::nullopt; };

        InputFileSystem fs;
        fs.bytes = bytes;
        const SettingsValues settings = ReadSettings(fs, codec);
        FUZZ_CHECK(settings.client2DPath == nth(0));
        FUZZ_CHECK(settings.client3DPath == nth(1));
        FUZZ_CHECK(settings.uoFolder == nth(2));

        const SlotData slot = ReadSlotData(fs, codec, "C:\\TELK\\SETTINGS\\3\\");
        FUZZ_CHECK(slot.label == nth(0).value_or(""));
        FUZZ_CHECK(slot.name == nth(1).value_or(""));
        FUZZ_CHECK(fs.asked == (std::vector<std::string>{"telk.ini", "C:\\TELK\\SETTINGS\\3\\DATA.INI"}));

        FUZZ_CHECK(ReadAll(codec, EncodeValues(codec, values)) == values);
    }
    return 0;
}
