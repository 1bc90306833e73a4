// The record of what the player has not been told, over whatever lies in
// the file. Reading never throws; written back as it was read, it reads
// the same; what is recorded after it is added, never in its place. The
// input: a first byte (odd: the file cannot be read), the record's bytes,
// then after a 0x1F byte the lines of more to record, file and copy.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "store/restore/Generations.h"
#include "store/StoreNames.h"

using namespace telk;
using namespace telk::fuzz;

namespace {

const std::string kSafety = "C:\\TELK\\SETTINGS\\BeforeRestore\\a\\s\\c~00000000";

// The files of one folder, in memory.
class MemoryFileSystem : public InputFileSystem {
public:
    std::map<std::string, std::string> files;

    bool CanOpenForReading(const std::string& path) override { return files.count(path) > 0; }
    std::string ReadFile(const std::string& path) override {
        if (fail || !files.count(path)) throw FileError("read", path, "input says no", 5, FileCause::NoAccess);
        return files.at(path);
    }
    void WriteFile(const std::string& path, const std::string& bytes) override { files[path] = bytes; }
    void Rename(const std::string& from, const std::string& to) override {
        files[to] = files.at(from);
        files.erase(from);
    }
    void RemoveFile(const std::string& path) override { files.erase(path); }
};

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs AsPairs(const std::vector<KeptCopy>& kept) {
    Pairs pairs;
    for (const KeptCopy& k : kept) pairs.push_back({k.file, k.copy});
    return pairs;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::vector<std::string> parts = Split(std::string(reinterpret_cast<const char*>(data) + 1, size - 1), '\x1F');
    MemoryFileSystem fs;
    fs.fail = data[0] % 2 == 1;
    fs.files[kSafety + "\\" + kUntoldName] = parts[0];
    const Pairs read = AsPairs(ReadUntold(fs, kSafety));
    if (fs.fail) {
        FUZZ_CHECK(read.empty());
        return 0;
    }
    // A path never holds a line end: more to record is what the program could.
    std::vector<KeptCopy> more;
    const std::vector<std::string> lines = parts.size() > 1 ? Split(parts[1], '\n') : std::vector<std::string>();
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2)
        if (lines[i].find('\r') == std::string::npos && lines[i + 1].find('\r') == std::string::npos)
            more.push_back({lines[i], lines[i + 1]});

    RecordUntold(fs, kSafety, {});
    FUZZ_CHECK(AsPairs(ReadUntold(fs, kSafety)) == read);
    RecordUntold(fs, kSafety, more);
    const Pairs after = AsPairs(ReadUntold(fs, kSafety));
    FUZZ_CHECK(after.size() >= read.size() && after.size() <= read.size() + more.size());
    FUZZ_CHECK(Pairs(after.begin(), after.begin() + static_cast<std::ptrdiff_t>(read.size())) == read);
    for (const auto& pair : AsPairs(more)) FUZZ_CHECK(std::find(after.begin(), after.end(), pair) != after.end());
    FUZZ_CHECK(fs.files.size() == 1);
    return 0;
}
