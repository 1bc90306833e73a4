// Starting a client program, and telling whether one runs, with the error
// a failed start throws.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace telk {

class LaunchError : public std::runtime_error {
public:
    LaunchError(std::string path, std::string systemMessage)
        : std::runtime_error(systemMessage), path_(std::move(path)), systemMessage_(std::move(systemMessage)) {}
    const std::string& Path() const { return path_; }
    const std::string& SystemMessage() const { return systemMessage_; }

private:
    std::string path_;
    std::string systemMessage_;
};

class Launcher {
public:
    virtual ~Launcher() = default;
    // Starts exactly the file at path (never a prefix of it), shown normally
    // and focused, in the current folder, without waiting. A program that
    // asks for administrator rights goes through the elevation prompt.
    // Throws LaunchError.
    virtual void Start(const std::string& path) = 0;
    // True when a running process other than this one runs one of files, or
    // a program file that lies inside folder at any depth ("": none). Empty
    // paths name nothing. Lists the processes once.
    virtual bool AnyRunning(const std::vector<std::string>& files, const std::string& folder) = 0;
    // True when a running process's program file is the file at path.
    bool IsRunning(const std::string& path) { return AnyRunning({path}, ""); }
};

} // namespace telk
