// Values as the program writes them come back as they went out. The input
// is a code set (its first byte picks one) and values in UTF-8 separated by
// the byte 0x1F. A character the code page lacks comes back as "?", so a
// value is compared with its own trip through the code page.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "store/TextValues.h"

using namespace telk;
using namespace telk::fuzz;

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// A line end always splits a value. A value with a double quote goes out
// unquoted, so the reader cuts it at a comma, drops its outer blanks and
// takes an opening quote for one of its own. Everything else comes back.
bool ComesBack(const std::string& value) {
    if (value.find_first_of("\r\n") != std::string::npos) return false;
    if (value.find('"') == std::string::npos) return true;
    return value.find(',') == std::string::npos && !IsBlank(value.front()) && !IsBlank(value.back()) &&
           value.front() != '"';
}

std::vector<std::string> ReadAll(TextCodec& codec, const std::string& bytes) {
    ValueReader reader(codec, bytes);
    std::vector<std::string> values;
    while (std::optional<std::string> value = reader.Next()) values.push_back(*value);
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    TextCodec& codec = Codec(kCodeSets[data[0] % std::size(kCodeSets)]);
    const std::vector<std::string> values =
        Split(std::string(reinterpret_cast<const char*>(data) + 1, size - 1), '\x1F');

    const std::string bytes = EncodeValues(codec, values);
    const std::vector<std::string> read = ReadAll(codec, bytes);

    // Values up to the first that cannot come back read back one for one;
    // what follows a broken one may shift.
    std::size_t i = 0;
    for (; i < values.size() && ComesBack(values[i]); ++i) {
        const std::string ansi = codec.ToAnsi(values[i]);
        const std::string expected = codec.FromAnsi(ansi);
        FUZZ_CHECK(i < read.size());
        FUZZ_CHECK(read[i] == expected);
        // Once through the code page, a value stays as it is.
        FUZZ_CHECK(codec.FromAnsi(codec.ToAnsi(expected)) == expected);
    }
    if (i == values.size()) FUZZ_CHECK(read.size() == values.size());
    return 0;
}
