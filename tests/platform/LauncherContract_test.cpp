// Starting a real program (telk_test_child) through the build's Launcher.

#include "ChildProgram.h"

namespace telk::test {
namespace {

using LauncherContract = ChildProgramTest;

TEST_F(LauncherContract, StartsExactlyTheNamedProgramInTheCurrentFolder) {
    // A program at the path's prefix up to the space must not be the one
    // that starts.
    PlaceChild("Program");
    const std::string wanted = PlaceChild("Program Files\\Ultima Online\\client");
    dir.MakeFolder("Work");
    ScopedCurrentFolder work(dir.Native("Work"));

    launcher->Start(wanted);
    const ChildReport report = WaitForReport();
    EXPECT_TRUE(SamePathNoCase(report.program, dir.Native(std::string("Program Files\\Ultima Online\\client") + kExe)))
        << report.program;
    EXPECT_TRUE(SamePathNoCase(report.currentFolder, dir.Native("Work"))) << report.currentFolder;
}

TEST_F(LauncherContract, IsRunningWhileTheProgramRuns) {
    const std::string program = PlaceChild("Client Dir\\client");
    // No match, started before and after it: whichever way the system
    // lists the processes, one comes after the match.
    const std::string before = PlaceChild("Before\\other"), after = PlaceChild("After\\other");
    ScopedEnv hold("TELK_CHILD_HOLD", dir.Native("release"));
    EXPECT_FALSE(launcher->AnyRunning({program}, dir.Win()));

    StartReportingIn(before, "before.txt");
    launcher->Start(program);
    WaitForReport();
    StartReportingIn(after, "after.txt");
    EXPECT_TRUE(launcher->AnyRunning({program}, ""));
    EXPECT_TRUE(launcher->AnyRunning({}, dir.Win("Client Dir")));
    EXPECT_TRUE(launcher->IsRunning(program));
    EXPECT_TRUE(launcher->IsRunning(dir.Win(std::string("CLIENT DIR\\Client") + kExe)));
    EXPECT_FALSE(launcher->IsRunning(dir.Win("Client Dir")));
    // Any program inside a folder, at any depth; not in one whose name only begins alike.
    EXPECT_TRUE(launcher->AnyRunning({""}, dir.Win() + "\\"));
    dir.MakeFolder("Client");
    EXPECT_FALSE(launcher->AnyRunning({}, dir.Win("Client")));

    dir.WriteBytes("release", "");
    EXPECT_TRUE(WaitUntil([&] { return !launcher->IsRunning(program); }));
}

// A player may put TELK beside the client: the program that asks is never
// the client, wherever it lies; one that runs there is.
TEST_F(LauncherContract, TheProgramThatAsksDoesNotCountItself) {
    const std::string telk = PlaceChild("Client\\telk");
    const std::string client = PlaceChild("Client\\Bin\\client");
    ScopedEnv ask("TELK_CHILD_ASK", dir.Win("Client"));
    EXPECT_EQ(StartReportingIn(telk, "alone.txt").fourth, "not running");
    {
        ScopedEnv hold("TELK_CHILD_HOLD", dir.Native("release"));
        StartReportingIn(client, "client.txt");
    }
    EXPECT_EQ(StartReportingIn(telk, "beside.txt").fourth, "running");
    dir.WriteBytes("release", "");
}

TEST_F(LauncherContract, AMissingOrEmptyPathFailsWithTheSystemsWords) {
    const std::string missing = dir.Win("Missing\\client.exe");
    try {
        launcher->Start(missing);
        ADD_FAILURE() << "started a missing program";
    } catch (const LaunchError& error) {
        EXPECT_EQ(error.Path(), missing);
        EXPECT_FALSE(error.SystemMessage().empty());
    }
    EXPECT_THROW(launcher->Start(""), LaunchError);
    EXPECT_THROW(launcher->Start(dir.Win()), LaunchError) << "a folder is no program";
    EXPECT_FALSE(launcher->IsRunning(""));
    EXPECT_FALSE(launcher->IsRunning(missing));
}

} // namespace
} // namespace telk::test
