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
    std::string fourth; // what TELK_CHILD_ASK or TELK_CHILD_WINDOW asked for
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

    ChildReport WaitForReport(const std::string& rel = "report.txt") {
        EXPECT_TRUE(WaitUntil([&] { return dir.IsFile(rel); })) << "the child never reported";
        std::istringstream lines(dir.IsFile(rel) ? dir.ReadBytes(rel) : "");
        ChildReport report;
        std::getline(lines, report.program);
        std::getline(lines, report.currentFolder);
        std::getline(lines, report.commandLine);
        std::getline(lines, report.fourth);
        return report;
    }

    // Starts the child at path with its report in rel, for a child beside
    // others, and waits for the report.
    ChildReport StartReportingIn(const std::string& path, const std::string& rel) {
        ScopedEnv to("TELK_CHILD_OUT", dir.Native(rel));
        launcher->Start(path);
        return WaitForReport(rel);
    }
};

} // namespace telk::test
