// What both pickers do when the drive list changes.
#pragma once

#include "ui/Windows.h"
#include "ui/forms/Control.h"

namespace telk::ui {

// The folder list moves to the chosen drive. A drive with no medium (or
// gone) is told, and the drive list steps back to the drive the folder list
// still shows.
void FollowDrive(Context& ctx, DriveListBox& drive, DirListBox& folders);

} // namespace telk::ui
