// Paths of the safety folders: the character folder's last three names made
// safe for Windows, then a short hash of its whole path, and the older
// layout by the names alone; and the bytes of the note each folder holds.

#include "store/restore/SafetyFolder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

#include "store/CharFiles.h"
#include "store/Exists.h"
#include "store/FolderTree.h"
#include "platform/PathText.h"

namespace telk {

namespace {

// The names of a path, empty ones dropped: "C:\a\\b\" -> C:, a, b.
std::vector<std::string> Names(const std::string& path) {
    std::vector<std::string> names;
    std::size_t begin = 0;
    while (begin <= path.size()) {
        std::size_t end = path.find_first_of("\\/", begin);
        if (end == std::string::npos) end = path.size();
        if (end > begin) names.push_back(path.substr(begin, end - begin));
        begin = end + 1;
    }
    return names;
}

// The last three names, "" standing in for those a short path lacks.
std::array<std::string, 3> LastThree(const std::string& charFolder) {
    std::vector<std::string> names = Names(charFolder);
    while (names.size() < 3) names.insert(names.begin(), "");
    const std::size_t n = names.size();
    return {names[n - 3], names[n - 2], names[n - 1]};
}

bool IsDeviceName(std::string_view base) {
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    std::string upper(base);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    for (const char* device : {"CON", "PRN", "AUX", "NUL"})
        if (upper == device) return true;
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '1' &&
           upper[3] <= '9';
}

// A name Windows keeps as it is written: no reserved characters, no
// trailing dot or space (which it drops), no device name (which it takes
// for the device), never one that climbs out.
std::string StoreName(std::string name) {
    if (name.empty() || name == "." || name == "..") return "_";
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos)
            c = '_';
    if (name.back() == '.' || name.back() == ' ') name.back() = '_';
    if (IsDeviceName(std::string_view(name).substr(0, name.find('.')))) name = "_" + name;
    return name;
}

// The path as the file system tells names apart: ASCII case folded, one
// "\" between names, none at the end.
std::string FolderKey(const std::string& path) {
    std::string key;
    for (const std::string& name : Names(path)) {
        if (!key.empty() || (!path.empty() && (path[0] == '\\' || path[0] == '/'))) key += '\\';
        for (char c : name) key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return key;
}

// FNV-1a: small, and the same on every build, as stored names must be.
std::string Digest(const std::string& text) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(hash));
    return hex;
}

} // namespace

std::string SafetyRoot(const std::string& appFolder) {
    return appFolder + kStoreFolder + "\\" + kSafetyFolderName;
}

std::string SafetyFolderPath(const std::string& appFolder, const std::string& charFolder) {
    const auto [account, shard, character] = LastThree(charFolder);
    return SafetyRoot(appFolder) + "\\" + StoreName(account) + "\\" + StoreName(shard) + "\\" + StoreName(character) +
           "~" + Digest(FolderKey(charFolder));
}

std::string LegacySafetyFolderPath(const std::string& appFolder, const std::string& charFolder) {
    auto plain = [](const std::string& name) { return IsPlainName(name) ? name : std::string("_"); };
    const auto [account, shard, character] = LastThree(charFolder);
    return SafetyRoot(appFolder) + "\\" + plain(account) + "\\" + plain(shard) + "\\" + plain(character);
}

namespace {

// n for "<base>-n" (n > 1), 1 for base itself; none for any other name.
std::optional<int> SuccessorOf(const std::string& entry, const std::string& base) {
    if (entry.size() < base.size() || !SameNameNoCase(entry.substr(0, base.size()), base)) return std::nullopt;
    if (entry.size() == base.size()) return 1;
    const std::string number = entry.substr(base.size());
    if (number.size() < 2 || number.size() > 6 || number[0] != '-' || number[1] < '1' || number[1] > '9' ||
        number.find_first_not_of("0123456789", 1) != std::string::npos || number == "-1")
        return std::nullopt;
    return std::stoi(number.substr(1));
}

std::string Successor(const std::string& first, int n) {
    return n == 1 ? first : first + "-" + std::to_string(n);
}

} // namespace

// The shard folder is listed once and every successor name considered, so
// that a gap (a first folder removed once empty) hides none of them.
std::string FindSafetyFolder(FileSystem& fs, const std::string& appFolder, const std::string& charFolder,
                             std::optional<std::string>* note, std::optional<std::vector<std::string>>* seen) {
    const std::string first = SafetyFolderPath(appFolder, charFolder);
    const std::size_t cut = first.find_last_of('\\');
    const std::string shard = first.substr(0, cut);
    if (note) note->reset();
    if (seen) seen->reset();
    std::vector<int> taken;
    if (fs.CanEnterFolder(shard))
        for (const std::string& entry : Entries(fs, shard))
            if (const std::optional<int> n = SuccessorOf(entry, first.substr(cut + 1))) taken.push_back(*n);
    std::sort(taken.begin(), taken.end());
    std::optional<std::pair<std::string, std::vector<std::string>>> noteless;
    for (const int n : taken) {
        const std::string folder = Successor(first, n);
        if (!IsFolderNotLink(fs, folder)) continue; // a link, or a file: not the program's
        std::vector<std::string> entries = Entries(fs, folder);
        if (!Holds(entries, kSafetyNoteName)) {
            if (!noteless && MayBeTaken(entries)) noteless.emplace(folder, std::move(entries));
            continue;
        }
        std::string bytes = fs.ReadFile(folder + "\\" + kSafetyNoteName);
        const std::optional<std::string> named = NoteFolder(bytes);
        if (named && SameCharFolder(*named, charFolder)) {
            if (note) *note = std::move(bytes);
            if (seen) *seen = std::move(entries);
            return folder;
        }
    }
    if (noteless) {
        if (seen) *seen = std::move(noteless->second);
        return noteless->first;
    }
    int n = 1;
    for (const int t : taken) n += t == n;
    return Successor(first, n);
}

bool MayBeTaken(const std::vector<std::string>& entries) {
    return std::all_of(entries.begin(), entries.end(), [](const std::string& entry) {
        for (const char* record : {kJournalName, kUntoldName, kSafetyNoteName, kOrderName, kActionsName})
            if (SameNameNoCase(entry, std::string(record) + kIncomingSuffix)) return true;
        return false;
    });
}

bool IsSafetyFolderOf(const std::string& appFolder, const std::string& folder, const std::string& charFolder) {
    const std::vector<std::string> names = Names(charFolder);
    if (names.size() < 4 || !SameNameNoCase(names[names.size() - 4], kDesktopFolderName)) return false;
    const std::string first = FolderKey(SafetyFolderPath(appFolder, charFolder));
    const std::string key = FolderKey(folder);
    return SuccessorOf(key, first).has_value();
}

bool IsSafetyFolderName(const std::string& name) {
    const std::size_t tilde = name.rfind('~');
    if (tilde == std::string::npos || tilde == 0) return false;
    const std::string rest = name.substr(tilde + 1);
    if (rest.size() < 8 || rest.substr(0, 8).find_first_not_of("0123456789abcdef") != std::string::npos) return false;
    if (rest.size() == 8) return true;
    const std::string number = rest.substr(8);
    return number.size() >= 2 && number.size() <= 6 && number[0] == '-' && number[1] >= '1' && number[1] <= '9' &&
           number.find_first_not_of("0123456789", 1) == std::string::npos && number != "-1";
}

bool SameCharFolder(const std::string& a, const std::string& b) {
    return FolderKey(a) == FolderKey(b);
}

} // namespace telk
