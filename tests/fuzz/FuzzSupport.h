// What the fuzz targets share: a file system that serves the input, the
// code sets the value files meet, and a check that stops the run.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/posix/TextCodec_posix.h"

namespace telk::fuzz {

// An abort, so that libFuzzer keeps the input, even in a build with NDEBUG.
[[noreturn]] inline void CheckFailed(const char* what, const char* file, int line) {
    std::fprintf(stderr, "check failed: %s (%s:%d)\n", what, file, line);
    std::abort();
}
#define FUZZ_CHECK(cond) ((cond) ? (void)0 : ::telk::fuzz::CheckFailed(#cond, __FILE__, __LINE__))

inline std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = text.find(separator, begin);
        parts.push_back(text.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
        if (end == std::string::npos) return parts;
        begin = end + 1;
    }
}

// Windows ANSI code pages a player may run under, and the code set of a
// UTF-8 locale on a POSIX host.
inline constexpr const char* kCodeSets[] = {"CP932", "UTF-8", "CP1252", "CP936", "CP949", "CP950"};

inline TextCodec& Codec(const std::string& codeSet) {
    static std::map<std::string, PosixTextCodec> codecs;
    auto it = codecs.find(codeSet);
    if (it == codecs.end()) it = codecs.emplace(codeSet, PosixTextCodec(codeSet)).first;
    return it->second;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
inline bool IsUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        std::uint32_t code = 0;
        if (lead < 0x80) { ++i; continue; }
        if (lead >= 0xC2 && lead <= 0xDF) { length = 2; code = lead & 0x1Fu; }
        else if (lead >= 0xE0 && lead <= 0xEF) { length = 3; code = lead & 0x0Fu; }
        else if (lead >= 0xF0 && lead <= 0xF4) { length = 4; code = lead & 0x07u; }
        else return false;
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3Fu);
        }
        if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

// Reads give the input's bytes and listings its names, or both fail as an
// unreadable folder does. With a VirtualStore, a folder's copy there exists
// or not and has a listing of its own. Any other call is one the code under
// test must not make: it escapes as std::logic_error and ends the run.
class InputFileSystem : public FileSystem {
public:
    std::string bytes;
    std::vector<std::string> names;
    bool fail = false;
    VirtualStoreLayout layout;
    bool mirrorExists = false;
    std::vector<std::string> mirrorNames;
    bool mirrorFails = false;
    std::vector<std::string> asked; // every path read or pattern listed

    std::string ReadFile(const std::string& path) override {
        asked.push_back(path);
        if (fail) throw FileError("read", path, "input says no", 5, FileCause::NoAccess);
        return bytes;
    }
    std::vector<ListEntry> ListEntries(const std::string& pattern, std::uint16_t) override {
        asked.push_back(pattern);
        const bool mirror = InVirtualStore(pattern);
        if (mirror ? mirrorFails : fail) throw FileError("list", pattern, "input says no", 3, FileCause::Other);
        std::vector<ListEntry> entries;
        for (const std::string& name : mirror ? mirrorNames : names) entries.push_back({name, false});
        return entries;
    }
    bool CanEnterFolder(const std::string& path) override {
        if (!InVirtualStore(path)) Unexpected("CanEnterFolder");
        return mirrorExists;
    }
    VirtualStoreLayout VirtualStore() override { return layout; }

    bool CanOpenForReading(const std::string&) override { Unexpected("CanOpenForReading"); }
    bool IsLink(const std::string&) override { Unexpected("IsLink"); }
    std::vector<Drive> Drives() override { Unexpected("Drives"); }
    void CreateFolder(const std::string&) override { Unexpected("CreateFolder"); }
    void RemoveFolder(const std::string&) override { Unexpected("RemoveFolder"); }
    void CopyFile(const std::string&, const std::string&) override { Unexpected("CopyFile"); }
    void CopyLink(const std::string&, const std::string&) override { Unexpected("CopyLink"); }
    void Rename(const std::string&, const std::string&) override { Unexpected("Rename"); }
    void RemoveFile(const std::string&) override { Unexpected("RemoveFile"); }
    void CheckReplaceable(const std::string&) override { Unexpected("CheckReplaceable"); }
    void ReplaceFile(const std::string&, const std::string&, const std::string&) override {
        Unexpected("ReplaceFile");
    }
    void WriteFile(const std::string&, const std::string&) override { Unexpected("WriteFile"); }
    std::string ShortPath(const std::string&) override { Unexpected("ShortPath"); }
    FileDigest Digest(const std::string&) override { Unexpected("Digest"); }
    bool SameVolume(const std::string&, const std::string&) override { Unexpected("SameVolume"); }
    std::string CurrentFolder() override { Unexpected("CurrentFolder"); }

private:
    bool InVirtualStore(const std::string& path) const {
        return !layout.folder.empty() && path.compare(0, layout.folder.size(), layout.folder) == 0;
    }
    [[noreturn]] static void Unexpected(const char* call) {
        throw std::logic_error(std::string("unexpected file system call: ") + call);
    }
};

} // namespace telk::fuzz
