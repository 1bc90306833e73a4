// Writing a file of the program's own beside itself and renaming it into
// place, so that a write cut short never leaves half a file.

#include "store/WriteWhole.h"

#include "platform/FileError.h"
#include "store/StoreNames.h"

namespace telk {

void WriteWhole(FileSystem& fs, const std::string& path, const std::string& bytes) {
    const std::string fresh = path + kIncomingSuffix;
    try {
        fs.WriteFile(fresh, bytes);
        fs.Rename(fresh, path);
    } catch (const FileError& e) {
        // Nothing was written there, or it is beyond saving.
        FailureOf([&] { fs.RemoveFile(fresh); });
        // The user knows the file by its own name.
        throw FileError(e.Operation(), path, e.SystemMessage(), e.Code(), e.Cause());
    }
}

} // namespace telk
