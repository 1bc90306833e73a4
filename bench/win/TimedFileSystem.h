// Wraps a FileSystem and adds up the time each kind of operation takes, to
// say where a back-up's or a restore's time goes under Wine.
#pragma once

#include "platform/win32/WinApi.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "store/restore/Generations.h"
#include "store/StoreNames.h"

namespace bench {

class TimedFileSystem : public telk::FileSystem {
public:
    struct Tally {
        int count = 0;
        double ms = 0;
    };

    explicit TimedFileSystem(telk::FileSystem& real) : real_(real) {
        QueryPerformanceFrequency(&frequency_);
    }
    const std::map<std::string, Tally>& Tallies() const { return tallies_; }
    // The same, for the operations on the store's own files and folders
    // (its records, the note, a generation, the safety folder), by each.
    const std::map<std::string, Tally>& RecordTallies() const { return records_; }
    void Reset() {
        tallies_.clear();
        records_.clear();
    }

    bool CanOpenForReading(const std::string& p) override {
        return Time("existence test", [&] { return real_.CanOpenForReading(p); }, p);
    }
    bool IsLink(const std::string& p) override { return Time("link test", [&] { return real_.IsLink(p); }, p); }
    bool CanEnterFolder(const std::string& p) override {
        return Time("existence test", [&] { return real_.CanEnterFolder(p); }, p);
    }
    std::vector<telk::ListEntry> ListEntries(const std::string& p, std::uint16_t m) override {
        return Time("listing", [&] { return real_.ListEntries(p, m); }, p);
    }
    std::vector<telk::Drive> Drives() override { return real_.Drives(); }
    void CreateFolder(const std::string& p) override { Time("folder made or removed", [&] { real_.CreateFolder(p); }, p); }
    void RemoveFolder(const std::string& p) override { Time("folder made or removed", [&] { real_.RemoveFolder(p); }, p); }
    void CopyFile(const std::string& f, const std::string& t) override { Time("copy, flushed", [&] { real_.CopyFile(f, t); }); }
    void CopyLink(const std::string& f, const std::string& t) override { Time("copy, flushed", [&] { real_.CopyLink(f, t); }); }
    void Rename(const std::string& f, const std::string& t) override { Time("rename", [&] { real_.Rename(f, t); }, t); }
    void RemoveFile(const std::string& p) override { Time("file removed", [&] { real_.RemoveFile(p); }, p); }
    void CheckReplaceable(const std::string& p) override { Time("replaceable test", [&] { real_.CheckReplaceable(p); }); }
    void ReplaceFile(const std::string& t, const std::string& r, const std::string& b) override {
        Time("replace", [&] { real_.ReplaceFile(t, r, b); });
    }
    std::string ReadFile(const std::string& p) override { return Time("read", [&] { return real_.ReadFile(p); }, p); }
    void WriteFile(const std::string& p, const std::string& b) override { Time("write, flushed", [&] { real_.WriteFile(p, b); }, p); }
    std::string ShortPath(const std::string& p) override { return real_.ShortPath(p); }
    telk::FileDigest Digest(const std::string& p) override { return Time("digest", [&] { return real_.Digest(p); }); }
    bool SameVolume(const std::string& a, const std::string& b) override {
        return Time("volume test", [&] { return real_.SameVolume(a, b); });
    }
    telk::VirtualStoreLayout VirtualStore() override { return real_.VirtualStore(); }
    std::vector<std::string> TemporaryFolders() override { return real_.TemporaryFolders(); }
    std::string CurrentFolder() override { return real_.CurrentFolder(); }

private:
    // What a path names among the store's own: a small record (its
    // temporary name counted with it), a generation (or its staging
    // folder), a character's safety folder; empty for anything else.
    static std::string RecordOf(std::string path) {
        if (path.ends_with("\\*.*")) path.resize(path.size() - 4); // a listing's pattern
        std::string name = path.substr(path.find_last_of('\\') + 1);
        if (name.ends_with(telk::kIncomingSuffix)) name.resize(name.size() - std::string(telk::kIncomingSuffix).size());
        for (const char* record : {telk::kJournalName, telk::kOrderName, telk::kActionsName, telk::kChangedName, telk::kUntoldName})
            if (name == record) return name;
        if (name == telk::kSafetyNoteName) return "note";
        if (name.ends_with(telk::kStagingSuffix)) name.resize(name.size() - std::string(telk::kStagingSuffix).size());
        if (telk::IsGenerationName(name)) return "a generation";
        const std::size_t tilde = name.rfind('~');
        if (tilde != std::string::npos && name.size() >= tilde + 9 &&
            name.find_first_not_of("0123456789abcdef", tilde + 1) >= tilde + 9)
            return "the safety folder";
        return "";
    }

    template <class Op>
    auto Time(const char* what, Op op, const std::string& path = {}) -> decltype(op()) {
        LARGE_INTEGER t0;
        QueryPerformanceCounter(&t0);
        struct Stop {
            TimedFileSystem& self;
            const char* what;
            const std::string& path;
            LARGE_INTEGER t0;
            ~Stop() {
                LARGE_INTEGER t1;
                QueryPerformanceCounter(&t1);
                const double ms = 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) /
                                  static_cast<double>(self.frequency_.QuadPart);
                Tally& tally = self.tallies_[what];
                ++tally.count;
                tally.ms += ms;
                if (const std::string record = RecordOf(path); !record.empty()) {
                    Tally& r = self.records_[record + ": " + what];
                    ++r.count;
                    r.ms += ms;
                }
            }
        } stop{*this, what, path, t0};
        return op();
    }

    telk::FileSystem& real_;
    LARGE_INTEGER frequency_{};
    std::map<std::string, Tally> tallies_;
    std::map<std::string, Tally> records_;
};

} // namespace bench
