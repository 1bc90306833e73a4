// A folder's whole content read natively, for byte-for-byte comparisons of
// the state before and after an operation.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace telk::test {

// Relative path ("/" separated, names as on disk) -> the file's bytes, or
// "<folder>" for a folder. A missing folder gives an empty map.
inline std::map<std::string, std::string> FolderSnapshot(const std::string& nativeFolder) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> snapshot;
    if (!fs::is_directory(nativeFolder)) return snapshot;
    for (const auto& entry : fs::recursive_directory_iterator(nativeFolder)) {
        const std::string rel = fs::relative(entry.path(), nativeFolder).generic_string();
        if (entry.is_directory()) {
            snapshot[rel] = "<folder>";
        } else {
            std::ifstream in(entry.path(), std::ios::binary);
            snapshot[rel] = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    return snapshot;
}

} // namespace telk::test
