// The client's DESKTOP tree as the client itself sees it. Windows
// redirects what an old 32-bit client without a manifest writes below
// Program Files to the VirtualStore, and such a client reads its files
// back from there first. This program is 64-bit and sees the real folders
// only, so it lists both and works on a character's files where the client
// really keeps them.
#pragma once

#include <optional>
#include <string>

#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "store/Listing.h"

namespace telk {

// path's place in the VirtualStore, or empty when nothing redirects it.
std::string VirtualStorePath(const VirtualStoreLayout& layout, const std::string& path);

// True when folder exists as it is or in the VirtualStore.
bool ClientFolderExists(FileSystem& fs, const std::string& folder);

// ListFolder of folder (no trailing "\"), followed by the names only its
// VirtualStore copy holds. Fails, as ListFolder does, only when neither can
// be listed.
Listing ListClientFolder(FileSystem& fs, const std::string& folder, std::optional<FileError>* failure = nullptr);

// The character folder the client reads from: its VirtualStore copy once
// that holds the four character files, else charFolder itself.
std::string LiveCharFolder(FileSystem& fs, const std::string& charFolder);

} // namespace telk
