// The program-wide state: one object for the run, handed to the windows,
// with the names its fields have always had.
#pragma once

#include <string>

namespace telk {

struct ProgramState {
    std::string UoFolder;     // client install folder; ends in "\" once accepted
    std::string AppFolder;    // working folder at start, with "\"
    std::string Client2DPath;
    std::string Client3DPath;
    std::string CharFolder;   // confirmed character's folder, with "\"
    std::string SlotFolder;   // chosen slot's folder, with "\"
    int FolderPickDone = 0;   // 0 while the folder picker is open
    int ProgramPickTarget = 0; // 1: 2D box, 2: 3D box, 0: picker closed
};

} // namespace telk
