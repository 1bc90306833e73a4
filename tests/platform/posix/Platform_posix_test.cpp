// The POSIX codec, lock and launcher beyond what the shared contract checks.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "platform/Launcher.h"
#include "platform/posix/InstanceLock_posix.h"
#include "platform/posix/Launcher_posix.h"
#include "platform/posix/TextCodec_posix.h"
#include "support/TempDir.h"

namespace telk::test {
namespace {

TEST(PosixTextCodec, TakesTheLocalesCodeSet) {
    {
        ScopedEnv all("LC_ALL", "C.UTF-8");
        EXPECT_EQ(PosixTextCodec().CodeSet(), "UTF-8");
    }
    ScopedEnv all("LC_ALL", "C");
    PosixTextCodec ascii;
    EXPECT_EQ(ascii.ToAnsi("abc未"), "abc?") << ascii.CodeSet();
}

TEST(PosixTextCodec, BytesTheCodePageDoesNotDefineBecomeQuestionMarks) {
    PosixTextCodec codec("CP932");
    // 0xA0 is no character; 0x81 0x20 is a lead byte without a valid trail.
    EXPECT_EQ(codec.FromAnsi("a\xA0" "b"), "a?b");
    EXPECT_EQ(codec.FromAnsi("\x96\xA2\x81"), "未?") << "cut short at the end";
    EXPECT_EQ(codec.ToAnsi("x\xFFy"), "x?y") << "invalid UTF-8 input";
    // Past U+10FFFF: no character, though glibc's decoder lets it through.
    EXPECT_EQ(PosixTextCodec("UTF-8").FromAnsi("a\xF7\xBF\xBF\xBF" "b\xF4\x90\x80\x80" "c"), "a?b?c");
}

TEST(PosixTextCodec, AnUnknownCodeSetFailsAtOnce) {
    EXPECT_THROW(PosixTextCodec("NO-SUCH-CODESET"), std::runtime_error);
}

TEST(PosixInstanceLock, DefaultPathIsPerUserInTheRuntimeFolder) {
    {
        ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/1234");
        EXPECT_EQ(PosixInstanceLock::DefaultPath(), "/run/user/1234/telk-" + std::to_string(getuid()) + ".lock");
    }
    ScopedEnv runtime("XDG_RUNTIME_DIR", "");
    EXPECT_EQ(PosixInstanceLock::DefaultPath(), "/tmp/telk-" + std::to_string(getuid()) + ".lock");
}

TEST(PosixInstanceLock, AnotherProcessCannotTakeItEither) {
    TempDir dir;
    PosixInstanceLock held(dir.Native("telk.lock"));
    ASSERT_TRUE(held.Acquire());

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        PosixInstanceLock second(dir.Native("telk.lock"));
        _exit(second.Acquire() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the child took a lock that is held";
}

TEST(PosixInstanceLock, AnUnusableLockFileMeansNoLock) {
    TempDir dir;
    PosixInstanceLock nowhere(dir.Native("Missing/telk.lock"));
    EXPECT_FALSE(nowhere.Acquire());
}

TEST(PosixLauncher, AFileThatIsNoProgramFails) {
    TempDir dir;
    dir.WriteBytes("client.exe", "not a program");
    chmod(dir.Native("client.exe").c_str(), 0644);
    PosixLauncher launcher;
    try {
        launcher.Start(dir.Win("CLIENT.EXE"));
        ADD_FAILURE() << "started a file without execute permission";
    } catch (const LaunchError& error) {
        EXPECT_EQ(error.Path(), dir.Win("CLIENT.EXE"));
        EXPECT_EQ(error.SystemMessage(), "Permission denied");
    }
}

} // namespace
} // namespace telk::test
