// The start routine: refuses a second copy, fills the program-wide state
// from telk.ini, makes the settings file and the slot store where they are
// missing, and loads the client folder window.
#pragma once

#include "platform/Platform.h"
#include "store/ProgramState.h"
#include "store/Transfer.h"

namespace telk {

namespace ui {
class Windows;
}

// Everything of the start between the instance check and the first window.
// A step that fails is skipped and the next one runs. Answers whether
// telk.ini and the slot store are there at the end; repair, when given,
// gets what the repair of the store could not settle.
bool PrepareStore(ProgramState& state, Platform& platform, RepairReport* repair = nullptr);

// Called once by the platform when the program starts; returns with the
// client folder window loaded. Ends the program when another copy runs.
void Main(ui::Windows& windows);

} // namespace telk
