// The Windows entry point: limits where DLLs load from, builds the platform
// services and the window backend, runs the start routine, then the event
// loop until the last window is gone.
#include "platform/win32/WinApi.h"

#include <commctrl.h>

#include "app/Main.h"
#include "app/res/resource.h"
#include "platform/Platform.h"
#include "platform/win32/Clock_win.h"
#include "platform/win32/FileSystem_win.h"
#include "platform/win32/InstanceLock_win.h"
#include "platform/win32/Launcher_win.h"
#include "platform/win32/TextCodec_win.h"
#include "store/ProgramState.h"
#include "ui/Windows.h"
#include "ui/win32/Win32Ui.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Before anything loads a DLL: System32 only, never the working folder
    // (a planted DLL beside the game's files must not load).
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);

    telk::Win32FileSystem fs;
    telk::Win32TextCodec codec;
    telk::Win32Clock clock;
    telk::Win32Launcher launcher;
    telk::Win32InstanceLock lock;
    telk::Platform platform{fs, codec, clock, launcher, lock};
    telk::ProgramState state;
    telk::winui::Win32Ui ui(instance, IDI_TELK);
    telk::ui::Windows windows(state, platform, ui);

    ui.Dispatch([&] { telk::Main(windows); });
    return ui.Run();
}
