// A drive chosen in either picker: the folder list opens its root, or the
// drive is refused and the list shows the folder it stayed on.
#include "ui/pickers/DriveChange.h"

#include <string>

#include "platform/FileError.h"
#include "ui/Texts.h"

namespace telk::ui {

namespace {

std::string DriveOf(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) + "\\" : std::string();
}

} // namespace

void FollowDrive(Context& ctx, DriveListBox& drive, DirListBox& folders) {
    try {
        folders.SetPath(drive.Drive());
    } catch (const FileError&) {
        ctx.ui.MessageBox(kDriveUnreadableText, Buttons::Ok, kProgramTitle);
    }
    drive.ShowDrive(DriveOf(folders.Path()));
}

} // namespace telk::ui
