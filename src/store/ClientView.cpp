// The client's DESKTOP tree with its VirtualStore copy laid over it: the
// mapping of a protected path into the VirtualStore, the merged listing and
// the character folder the client really reads.

#include "store/ClientView.h"

#include "platform/PathText.h"
#include "store/CharFiles.h"

namespace telk {

std::string VirtualStorePath(const VirtualStoreLayout& layout, const std::string& path) {
    if (layout.folder.empty() || path.size() < 3 || path[1] != ':' || path[2] != '\\') return {};
    for (const std::string& root : layout.protectedFolders) {
        const std::string folder = WithoutTrailingSeparators(root);
        const bool inside = path.size() >= folder.size() && SameNameNoCase(path.substr(0, folder.size()), folder) &&
                            (path.size() == folder.size() || path[folder.size()] == '\\');
        if (inside) return WithTrailingSeparator(layout.folder) + path.substr(3);
    }
    return {};
}

bool ClientFolderExists(FileSystem& fs, const std::string& folder) {
    if (fs.CanEnterFolder(folder)) return true;
    const std::string mirror = VirtualStorePath(fs.VirtualStore(), folder);
    return !mirror.empty() && fs.CanEnterFolder(mirror);
}

Listing ListClientFolder(FileSystem& fs, const std::string& folder, std::optional<FileError>* failure) {
    std::optional<FileError> realFailure;
    Listing listing = ListFolder(fs, folder + "\\*.*", kListMask, &realFailure);
    const std::string mirror = VirtualStorePath(fs.VirtualStore(), folder);
    if (mirror.empty() || !fs.CanEnterFolder(mirror)) {
        if (failure) *failure = realFailure;
        return listing;
    }
    if (failure) failure->reset();
    const Listing redirected = ListFolder(fs, mirror + "\\*.*", kListMask);
    if (realFailure) return redirected; // the client made the folder there only
    std::size_t end = 1;
    while (end < listing.size() && !listing[end].empty()) ++end;
    for (std::size_t i = 1; i < redirected.size() && !redirected[i].empty() && end < listing.size(); ++i) {
        const std::string& name = redirected[i];
        bool known = false;
        for (std::size_t j = 1; j < end && !known; ++j) known = SameNameNoCase(listing[j], name);
        if (!known) listing[end++] = name;
    }
    return listing;
}

std::string LiveCharFolder(FileSystem& fs, const std::string& charFolder) {
    const std::string mirror = VirtualStorePath(fs.VirtualStore(), charFolder);
    return !mirror.empty() && CharFilesExist(fs, WithTrailingSeparator(mirror)) ? WithTrailingSeparator(mirror)
                                                                                 : charFolder;
}

} // namespace telk
