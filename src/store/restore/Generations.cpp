// The generations of a safety folder: the record of the order they were
// written in kept up to date, a file put in whole through a temporary
// name, pruning by a mark and a rename before the removal, and tidying
// what a cut-off run left.

#include "store/restore/Generations.h"

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

std::string TrashName(const std::string& generation) {
    return generation + kPrunedSuffix;
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

void RecordWritten(FileSystem& fs, const std::string& safety, const std::vector<std::string>& entries,
                   const WrittenGeneration& generation) {
    // One the player spoilt starts anew: the generations it named are
    // then ordered by name, below this one.
    std::vector<WrittenGeneration> order = ReadOrder(fs, safety, entries).value_or(std::vector<WrittenGeneration>{});
    std::erase_if(order, [&](const WrittenGeneration& g) {
        return g.name == generation.name || (!Holds(entries, g.name) && !Holds(entries, StagingName(g.name)));
    });
    order.push_back(generation);
    WriteWhole(fs, OrderPath(safety), EncodeOrder(order));
}

bool ForgetWritten(FileSystem& fs, const std::string& safety, const std::string& generation) {
    // Both records forget it, or neither: the action's line goes last.
    const bool forgotten = !FailureOf([&] {
        std::optional<std::vector<WrittenGeneration>> order = DecodeOrder(fs.ReadFile(OrderPath(safety)));
        if (!order) return;
        std::erase_if(*order, [&](const WrittenGeneration& g) { return g.name == generation; });
        if (order->empty())
            fs.RemoveFile(OrderPath(safety));
        else
            WriteWhole(fs, OrderPath(safety), EncodeOrder(*order));
    });
    if (forgotten) ForgetAction(fs, safety, generation);
    return forgotten;
}

namespace {

// The generations among entries, the oldest written first: those the
// record does not name (all of them when it is not the program's) by
// their names, whatever order the folder listed them in, then the named
// ones in the record's order. named: how many of the last it names.
std::vector<std::string> OldestFirst(const std::optional<std::vector<WrittenGeneration>>& order,
                                     const std::vector<std::string>& entries, std::size_t& named) {
    // (place in the record, 0 for none; the name's own order)
    std::vector<std::pair<std::pair<std::size_t, std::string>, std::string>> keyed;
    named = 0;
    for (const std::string& name : entries) {
        const std::optional<std::string> stamp = StampOrder(name);
        if (!stamp) continue;
        std::size_t place = 0;
        for (std::size_t i = 0; order && i < order->size(); ++i)
            if ((*order)[i].name == name) place = i + 1;
        if (place) ++named;
        keyed.push_back({{place, *stamp}, name});
    }
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::string> names;
    for (const auto& k : keyed) names.push_back(k.second);
    return names;
}

} // namespace

std::vector<std::string> GenerationsNewestFirst(FileSystem& fs, const std::string& safety,
                                                const std::vector<std::string>& entries) {
    std::size_t named = 0;
    std::vector<std::string> names = OldestFirst(ReadOrder(fs, safety, entries), entries, named);
    std::reverse(names.begin(), names.end());
    return names;
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

namespace {

// Out of sight in one rename, so that a removal cut short leaves no part
// of a generation under a generation's name; the next start removes what
// is left under the new one.
bool Discard(FileSystem& fs, const std::string& safety, const std::string& generation) {
    const std::string trash = safety + "\\" + TrashName(generation);
    return !FailureOf([&] {
        fs.Rename(safety + "\\" + generation, trash);
        RemoveTree(fs, trash, IfMissing::Fail);
    });
}

} // namespace

bool PruneGenerations(FileSystem& fs, const std::string& safety, const std::vector<std::string>& entries) {
    if (Holds(entries, kJournalName)) return true;
    if (std::count_if(entries.begin(), entries.end(), IsGenerationName) <= kGenerationsKept) return true;
    std::optional<std::vector<WrittenGeneration>> order;
    if (FailureOf([&] { order = ReadOrder(fs, safety, entries); })) return false;
    // Only what the record names goes: any other generation is an earlier
    // version's or the player's, kept until the player removes it.
    std::size_t named = 0;
    const std::vector<std::string> oldestFirst = OldestFirst(order, entries, named);
    std::vector<std::string> prunable(oldestFirst.end() - static_cast<std::ptrdiff_t>(named), oldestFirst.end());
    // The first, the character's files from before any restore, stays for
    // good beside the ten.
    for (const GenerationAction& action : ReadActions(fs, safety, entries))
        if (action.first) std::erase(prunable, action.generation);
    bool done = true;
    for (std::size_t i = 0; i + kGenerationsKept < prunable.size(); ++i) {
        const std::string folder = safety + "\\" + prunable[i];
        if (IsFolderNotLink(fs, folder)) done = Discard(fs, safety, prunable[i]) && done;
    }
    return done;
}

bool MayTidy(const std::vector<std::string>& entries) {
    return std::any_of(entries.begin(), entries.end(), [](const std::string& name) {
        return GenerationWith(name, kPrunedSuffix) || GenerationWith(name, kStagingSuffix);
    });
}

bool TidyGenerations(FileSystem& fs, const std::string& safety, const std::vector<std::string>& entries, Tidy tidy) {
    // Before a restore, what the names tell is all there is to do.
    if (tidy == Tidy::Quick && !MayTidy(entries)) return true;
    std::optional<std::vector<WrittenGeneration>> order;
    bool done = !FailureOf([&] { order = ReadOrder(fs, safety, entries); });
    auto recorded = [&](const std::string& generation) {
        return order && std::any_of(order->begin(), order->end(), [&](const WrittenGeneration& g) { return g.name == generation; });
    };
    for (const std::string& name : entries) {
        const std::string path = safety + "\\" + name;
        done = !FailureOf([&] {
            if (GenerationWith(name, kPrunedSuffix)) {
                RemoveTree(fs, path, IfMissing::Skip);
            } else if (const auto generation = GenerationWith(name, kStagingSuffix);
                       generation && recorded(*generation) && !Holds(entries, *generation) && IsFolderNotLink(fs, path)) {
                // Every name in it holds a whole file: nothing of it may go.
                std::vector<std::string> files = Entries(fs, path);
                for (const std::string& file : files)
                    if (file.ends_with(kPartSuffix)) fs.RemoveFile(path + "\\" + file);
                std::erase_if(files, [](const std::string& file) { return file.ends_with(kPartSuffix); });
                if (!files.empty()) {
                    fs.Rename(path, safety + "\\" + *generation);
                    return;
                }
                fs.RemoveFolder(path);
                if (!ForgetWritten(fs, safety, *generation)) throw FileError("write", safety + "\\" + kOrderName, "", 0, FileCause::Other);
            }
        }) && done;
    }
    // Lines of restores that were undone, where forgetting them failed,
    // and of pruned generations: a restore's own write drops them too.
    if (tidy == Tidy::Full && order)
        for (const WrittenGeneration& g : *order)
            if (!Holds(entries, g.name) && !Holds(entries, StagingName(g.name)))
                done = ForgetWritten(fs, safety, g.name) && done;
    if (tidy == Tidy::Full)
        for (const GenerationAction& a : ReadActions(fs, safety, entries))
            if (!Holds(entries, a.generation) && !Holds(entries, StagingName(a.generation)))
                ForgetAction(fs, safety, a.generation);
    return done;
}

} // namespace telk
