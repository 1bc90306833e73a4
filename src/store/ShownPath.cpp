// A path as Explorer shows it: each name, from the root down, spelled as
// its folder lists it, for the messages that name a file or folder.

#include "store/ShownPath.h"

#include <vector>

#include "platform/FileError.h"
#include "platform/PathText.h"

namespace telk {

std::string PathAsShown(FileSystem& fs, const std::string& path) {
    std::string shown;
    std::size_t begin = 0;
    if (path.size() >= 2 && path[1] == ':') {
        shown = path.substr(0, 2);
        begin = 2;
    } else if (path.starts_with("\\\\")) {
        shown.push_back('\\'); // a server's name is not listed: it stays as given
        begin = 1;
    }
    const bool rooted = begin < path.size() && (path[begin] == '\\' || path[begin] == '/');
    bool onDisk = rooted && begin == 2;
    bool first = true;
    while (begin < path.size()) {
        std::size_t end = path.find_first_of("\\/", begin);
        if (end == std::string::npos) end = path.size();
        std::string name = path.substr(begin, end - begin);
        begin = end + 1;
        if (name.empty()) continue;
        if (onDisk && name != "." && name != "..") {
            try {
                onDisk = false;
                for (std::string& entry : fs.List(shown + "\\*.*", Attr::Folder | Attr::Hidden | Attr::System)) {
                    if (!SameNameNoCase(entry, name)) continue;
                    name = std::move(entry);
                    onDisk = true;
                    break;
                }
            } catch (const FileError&) {
                // Not listed: the rest as given.
            }
        }
        if (!first || rooted) shown += '\\';
        shown += name;
        first = false;
    }
    if (!path.empty() && (path.back() == '\\' || path.back() == '/') && (shown.empty() || shown.back() != '\\'))
        shown += '\\';
    return shown;
}

} // namespace telk
