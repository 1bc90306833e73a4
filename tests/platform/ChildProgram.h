// A fixture for starting telk_test_child, the program that reports how it
// was started: its own file, its current folder, its command line.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "platform/Launcher.h"
#include "support/TempDir.h"

namespace telk::test {

struct ChildReport {
    std::string program;
    std::string currentFolder;
    std::string commandLine;
};

class ChildProgramTest : public ::testing::Test {
protected:
#ifdef _WIN32
    static constexpr const char* kExe = ".exe";
#else
    static constexpr const char* kExe = "";
#endif

    TempDir dir;
    std::unique_ptr<Launcher> launcher = MakePlatformLauncher();
    ScopedEnv out {"TELK_CHILD_OUT", dir.Native("report.txt")};

    // Copies the child program in under rel plus the platform's extension;
    // returns its Windows-syntax path.
    std::string PlaceChild(const std::string& rel) {
        dir.CopyIn(BuildTreePath(TELK_TEST_CHILD), rel + kExe);
        return dir.Win(rel + kExe);
    }

    ChildReport WaitForReport() {
        EXPECT_TRUE(WaitUntil([&] { return dir.IsFile("report.txt"); })) << "the child never reported";
        std::istringstream lines(dir.IsFile("report.txt") ? dir.ReadBytes("report.txt") : "");
        ChildReport report;
        std::getline(lines, report.program);
        std::getline(lines, report.currentFolder);
        std::getline(lines, report.commandLine);
        return report;
    }
};

} // namespace telk::test
