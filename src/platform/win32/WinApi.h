// <windows.h> for every Win32 file, with the macros undone whose names the
// program's own interfaces use: MessageBox (the Ui's), CopyFile and
// ReplaceFile (the FileSystem's). Their W functions keep their names.
#pragma once

#include <windows.h>

#undef CopyFile
#undef MessageBox
#undef ReplaceFile
