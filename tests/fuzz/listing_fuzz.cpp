// The fixed-size listing and the list rule over any listing the platform
// may give, and the client's view that adds what only the VirtualStore
// copy of a folder holds. The input's first byte holds flags: the listing
// fails (bit 0), the caller asks why (bit 1), the folder is redirected
// (bit 2), its VirtualStore copy exists (bit 3), listing that copy fails
// (bit 4). The rest is the folder's names, one a line, then after a byte
// 0x1E its copy's names.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "platform/PathText.h"
#include "store/ClientView.h"
#include "store/Listing.h"

using namespace telk;
using namespace telk::fuzz;

namespace {

const std::string kFolder = "C:\\Program Files (x86)\\UO\\DESKTOP";
const VirtualStoreLayout kLayout = {{"C:\\Program Files (x86)"}, "C:\\Users\\p\\AppData\\Local\\VirtualStore"};

// What ListFolder gives for a listing of these names.
Listing Filled(const std::vector<std::string>& names, bool fails) {
    Listing listing;
    for (std::size_t i = 0; !fails && i < names.size() && i + 1 < listing.size(); ++i) listing[i + 1] = names[i];
    return listing;
}

void CheckListRule(const Listing& listing) {
    FUZZ_CHECK(listing[0].empty());
    const std::vector<std::string> entries = ListRuleEntries(listing);
    FUZZ_CHECK(entries.size() <= 10);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        FUZZ_CHECK(!entries[k].empty());
        FUZZ_CHECK(entries[k] == listing[k + 3]);
    }
    // It stops at the first empty entry, or after the tenth.
    FUZZ_CHECK(entries.size() == 10 || listing[entries.size() + 3].empty());
}

bool HoldsName(const Listing& listing, std::size_t from, std::size_t to, const std::string& name) {
    for (std::size_t i = from; i < to; ++i)
        if (SameNameNoCase(listing[i], name)) return true;
    return false;
}

// The folder's own names first, as they are; then, in their order, the
// names of its copy it does not hold already, as many as fit.
void CheckMerged(const Listing& listing, const Listing& real, const Listing& mirror) {
    std::size_t own = 1;
    while (own < real.size() && !real[own].empty()) ++own;
    for (std::size_t i = 1; i < own; ++i) FUZZ_CHECK(listing[i] == real[i]);
    std::size_t end = own;
    while (end < listing.size() && !listing[end].empty()) ++end;
    for (std::size_t i = end; i < listing.size(); ++i) FUZZ_CHECK(listing[i].empty());

    std::size_t from = 1;
    for (std::size_t i = own; i < end; ++i) {
        FUZZ_CHECK(!HoldsName(listing, 1, i, listing[i]));
        while (from < mirror.size() && mirror[from] != listing[i]) ++from;
        FUZZ_CHECK(from < mirror.size());
        ++from;
    }
    if (end < listing.size())
        for (std::size_t i = 1; i < mirror.size() && !mirror[i].empty(); ++i)
            FUZZ_CHECK(HoldsName(listing, 1, end, mirror[i]));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t flags = data[0];
    const bool askWhy = (flags & 2) != 0;
    const std::vector<std::string> parts = Split(std::string(reinterpret_cast<const char*>(data) + 1, size - 1), '\x1E');

    // ListFolder over any names, empty ones too.
    InputFileSystem fs;
    fs.fail = (flags & 1) != 0;
    if (!parts[0].empty()) fs.names = Split(parts[0], '\n');
    const std::string pattern = kFolder + "\\*.*";
    std::optional<FileError> failure = FileError("earlier", "x", "", 0, FileCause::Other);
    const Listing listing = ListFolder(fs, pattern, kListMask, askWhy ? &failure : nullptr);
    FUZZ_CHECK(fs.asked == std::vector<std::string>{pattern});
    FUZZ_CHECK(listing == Filled(fs.names, fs.fail));
    if (askWhy) {
        FUZZ_CHECK(failure.has_value() == fs.fail);
        if (failure) FUZZ_CHECK(failure->Path() == pattern && failure->Operation() == "list");
    }
    CheckListRule(listing);

    // The client's view, over names a folder can hold.
    auto names = [](const std::string& lines) {
        std::vector<std::string> found;
        for (std::string& name : Split(lines, '\n'))
            if (!name.empty()) found.push_back(std::move(name));
        return found;
    };
    InputFileSystem client;
    client.fail = fs.fail;
    client.names = names(parts[0]);
    if (flags & 4) client.layout = kLayout;
    client.mirrorExists = (flags & 8) != 0;
    client.mirrorFails = (flags & 16) != 0;
    if (parts.size() > 1) client.mirrorNames = names(parts[1]);
    failure = FileError("earlier", "x", "", 0, FileCause::Other);
    const Listing view = ListClientFolder(client, kFolder, askWhy ? &failure : nullptr);

    const Listing real = Filled(client.names, client.fail);
    const Listing mirror = Filled(client.mirrorNames, client.mirrorFails);
    const bool redirected = (flags & 4) && client.mirrorExists;
    if (askWhy) FUZZ_CHECK(failure.has_value() == (client.fail && !redirected));
    if (!redirected)
        FUZZ_CHECK(view == real);
    else if (client.fail)
        FUZZ_CHECK(view == mirror);
    else
        CheckMerged(view, real, mirror);
    CheckListRule(view);
    return 0;
}
