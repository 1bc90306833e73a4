// Starting a client program and finding a running one, on Win32: through
// CreateProcessW, or the shell when the program asks for elevation.
#pragma once

#include <string>
#include <vector>

#include "platform/Launcher.h"

namespace telk {

class Win32Launcher : public Launcher {
public:
    void Start(const std::string& path) override;
    bool AnyRunning(const std::vector<std::string>& files, const std::string& folder) override;

    // The way Start takes for a program that asks for administrator
    // rights: the shell, which shows the elevation prompt.
    void StartThroughShell(const std::string& path);
};

} // namespace telk
