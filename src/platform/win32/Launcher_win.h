// Starting a client program and finding a running one, on Win32.
#pragma once

#include <string>

#include "platform/Launcher.h"

namespace telk {

class Win32Launcher : public Launcher {
public:
    void Start(const std::string& path) override;
    bool IsRunning(const std::string& path) override;

    // The way Start takes for a program that asks for administrator
    // rights: the shell, which shows the elevation prompt.
    void StartThroughShell(const std::string& path);
};

} // namespace telk
