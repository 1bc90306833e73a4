// The generations of a safety folder: their names and order, a file put
// in whole through a temporary name, pruning by a rename before the
// removal, tidying what a cut-off run left, and the record of what the
// player has not been told yet.

#include "store/Generations.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/PathText.h"
#include "store/CharFiles.h"
#include "store/Exists.h"
#include "store/FolderTree.h"
#include "store/StoreNames.h"
#include "store/WriteWhole.h"

namespace telk {

namespace {

constexpr std::size_t kStampSize = 19; // "yyyy-mm-dd hh-mm-ss"

// The stamp, then the number within its second (1 for the first) in
// eight digits: generations in the order they were written, as text.
std::optional<std::string> GenerationOrder(const std::string& name) {
    if (name.size() < kStampSize) return std::nullopt;
    for (std::size_t i = 0; i < kStampSize; ++i) {
        const char c = name[i];
        const bool separator = i == 4 || i == 7 || i == 13 || i == 16;
        if (i == 10 ? c != ' ' : separator ? c != '-' : (c < '0' || c > '9')) return std::nullopt;
    }
    std::string number = "1";
    if (name.size() > kStampSize) {
        number = name.substr(kStampSize);
        if (number.size() < 4 || number.size() > 11 || !number.starts_with(" (") || number.back() != ')') return std::nullopt;
        number = number.substr(2, number.size() - 3);
        if (number[0] == '0' || number.find_first_not_of("0123456789") != std::string::npos || number == "1")
            return std::nullopt;
    }
    return name.substr(0, kStampSize) + std::string(8 - number.size(), '0') + number;
}

std::string TrashName(const std::string& generation) {
    return generation + kRetiredSuffix;
}

// A generation's name without the suffix, when name is that generation
// with suffix.
std::optional<std::string> GenerationWith(const std::string& name, const char* suffix) {
    const std::string end = suffix;
    if (!name.ends_with(end)) return std::nullopt;
    std::string generation = name.substr(0, name.size() - end.size());
    if (!IsGenerationName(generation)) return std::nullopt;
    return generation;
}

} // namespace

bool IsGenerationName(const std::string& name) {
    return GenerationOrder(name).has_value();
}

std::string FreeGenerationName(const std::vector<std::string>& entries, const std::string& stamp) {
    for (int n = 1;; ++n) {
        const std::string name = n == 1 ? stamp : stamp + " (" + std::to_string(n) + ")";
        if (!Holds(entries, name) && !Holds(entries, StagingName(name)) && !Holds(entries, TrashName(name)))
            return name;
    }
}

std::string StagingName(const std::string& generation) {
    return generation + kStagingSuffix;
}

void PutWhole(FileSystem& fs, const std::string& from, const std::string& folder, const std::string& name) {
    const std::string part = folder + "\\" + name + kPartSuffix;
    try {
        fs.CopyFile(from, part);
        fs.Rename(part, folder + "\\" + name);
    } catch (const FileError&) {
        FailureOf([&] { fs.RemoveFile(part); }); // a part only ever waits to be removed
        throw;
    }
}

void PruneGenerations(FileSystem& fs, const std::string& safety, const std::vector<std::string>& entries) {
    if (Holds(entries, kJournalName)) return;
    // The oldest first, as long as more than the kept ones are left.
    std::vector<std::pair<std::string, std::string>> generations; // order, name
    for (const std::string& name : entries)
        if (const auto order = GenerationOrder(name)) generations.push_back({*order, name});
    while (generations.size() > static_cast<std::size_t>(kGenerationsKept)) {
        const auto oldest = std::min_element(generations.begin(), generations.end());
        const std::string name = oldest->second;
        generations.erase(oldest);
        const std::string folder = safety + "\\" + name;
        // Out of sight in one rename, so that a removal cut short leaves
        // no part of a generation under a generation's name.
        if (!IsFolderNotLink(fs, folder) || FailureOf([&] { fs.Rename(folder, safety + "\\" + TrashName(name)); })) continue;
        FailureOf([&] { RemoveTree(fs, safety + "\\" + TrashName(name), IfMissing::Fail); });
    }
}

void TidyGenerations(FileSystem& fs, const std::string& safety, const std::vector<std::string>& entries) {
    for (const std::string& name : entries) {
        const std::string path = safety + "\\" + name;
        if (GenerationWith(name, kRetiredSuffix)) {
            RemoveTree(fs, path, IfMissing::Skip); // pruned: meant to go
        } else if (const auto generation = GenerationWith(name, kStagingSuffix); generation && IsFolderNotLink(fs, path)) {
            // Every name in it holds a whole file: nothing of it may go.
            std::vector<std::string> files = Entries(fs, path);
            for (const std::string& file : files)
                if (file.ends_with(kPartSuffix)) fs.RemoveFile(path + "\\" + file);
            std::erase_if(files, [](const std::string& file) { return file.ends_with(kPartSuffix); });
            if (files.empty())
                fs.RemoveFolder(path);
            else
                fs.Rename(path, safety + "\\" + FreeGenerationName(entries, *generation));
        }
    }
}

// UTF-8 lines: the file, then where its previous contents are.
void RecordUntold(FileSystem& fs, const std::string& safety, const std::vector<KeptCopy>& kept) {
    std::vector<KeptCopy> all = ReadUntold(fs, safety);
    for (const KeptCopy& copy : kept)
        if (std::find_if(all.begin(), all.end(), [&](const KeptCopy& k) { return k.file == copy.file && k.copy == copy.copy; }) == all.end())
            all.push_back(copy);
    std::string bytes;
    for (const KeptCopy& copy : all) bytes += copy.file + "\r\n" + copy.copy + "\r\n";
    WriteWhole(fs, safety + "\\" + kUntoldName, bytes);
}

std::vector<KeptCopy> ReadUntold(FileSystem& fs, const std::string& safety) {
    std::vector<KeptCopy> kept;
    std::string bytes;
    if (!FileExists(fs, safety + "\\" + kUntoldName) || FailureOf([&] { bytes = fs.ReadFile(safety + "\\" + kUntoldName); }))
        return kept;
    std::vector<std::string> lines;
    for (std::size_t begin = 0, end; begin < bytes.size(); begin = end + 2) {
        end = bytes.find("\r\n", begin);
        if (end == std::string::npos) break;
        lines.push_back(bytes.substr(begin, end - begin));
    }
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) kept.push_back({lines[i], lines[i + 1]});
    return kept;
}

void ForgetUntold(FileSystem& fs, const std::string& safety) {
    if (FileExists(fs, safety + "\\" + kUntoldName)) FailureOf([&] { fs.RemoveFile(safety + "\\" + kUntoldName); });
}

} // namespace telk
