// apply --backup: the backup written before the first write, and an apply
// killed halfway recovered both ways.
#include "tests/support/RunProgram.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

using namespace testsupport;

namespace {

RunResult Cli(const std::vector<std::string>& args) { return Run(MENDRIX_CLI, args); }

// Starts the apply with the test stop at percent, waits until it says it
// stopped (it then waits), and kills it. The stop line, or what it said instead.
std::string ApplyKilledAt(int percent, const std::vector<std::string>& args)
{
    int fds[2];
    if (pipe(fds) != 0) return "no pipe";
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("MENDRIX_TEST_STOP_PERCENT", std::to_string(percent).c_str(), 1);
        dup2(fds[1], 2);
        close(fds[0]);
        std::vector<char*> argv{const_cast<char*>(MENDRIX_CLI)};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(MENDRIX_CLI, argv.data());
        _exit(127);
    }
    close(fds[1]);
    std::string said;
    char buffer[256];
    ssize_t n = 0;
    while (said.find("Stopped for a test") == std::string::npos && (n = read(fds[0], buffer, sizeof buffer)) > 0)
        said.append(buffer, static_cast<std::size_t>(n));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    close(fds[0]);
    return said;
}

class CliBackup : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(CliBackup, AKilledApplyIsUndoneByItsBackupOrCompletedByApplyingAgain)
{
    // 100,000 scattered records: written through a map, one at a time.
    const Bytes original = Noise(6400000, 5);
    Bytes modified = original;
    for (std::size_t i = 0; i < 100000; ++i) modified[i * 64] ^= 0xFF;
    WriteFile(dir.File("a.bin"), original);
    WriteFile(dir.File("b.bin"), modified);
    ASSERT_EQ(Cli({"make", "-q", dir.File("a.bin"), dir.File("b.bin"), "-o", dir.File("p.kdx")}).status, 0);
    WriteFile(dir.File("img.bin"), original);

    const std::string said =
        ApplyKilledAt(40, {"apply", "-q", "--backup", dir.File("back.kdx"), dir.File("p.kdx"), dir.File("img.bin")});
    ASSERT_NE(said.find("Information: Backup written (" + dir.File("back.kdx") +
                        ", 100000 records): applying it puts the image's bytes back.\n"),
              std::string::npos)
        << said;
    ASSERT_NE(said.find("Stopped for a test at 400000 of 1000000 Bytes of patch data\n"), std::string::npos) << said;

    const RunResult check = Cli({"check", dir.File("p.kdx"), dir.File("img.bin")});
    EXPECT_NE(check.out.find("Image state    : partly patched ("), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("\nWhat to do     : apply the patch again to complete it, or apply its backup to go "
                             "back\n"),
              std::string::npos)
        << check.out;
    const Bytes half = ReadFile(dir.File("img.bin"));
    EXPECT_NE(half, original);
    EXPECT_NE(half, modified);

    EXPECT_EQ(Cli({"apply", "-q", dir.File("back.kdx"), dir.File("img.bin")}).status, 0);
    EXPECT_TRUE(ReadFile(dir.File("img.bin")) == original);

    WriteFile(dir.File("img.bin"), half);
    EXPECT_EQ(Cli({"apply", "-q", dir.File("p.kdx"), dir.File("img.bin")}).status, 0);
    EXPECT_TRUE(ReadFile(dir.File("img.bin")) == modified);
}

TEST_F(CliBackup, AGrownTailStaysZeroFilledAndSaysSo)
{
    WriteFile(dir.File("a.bin"), Bytes(100, 1));
    Bytes grown(120, 1);
    grown[5] = 2;
    grown[119] = 3;
    WriteFile(dir.File("b.bin"), grown);
    ASSERT_EQ(Cli({"make", "-q", dir.File("a.bin"), dir.File("b.bin"), "-o", dir.File("p.kdx")}).status, 0);
    WriteFile(dir.File("img.bin"), Bytes(100, 1));

    RunResult r = Cli({"apply", "-q", "--backup", dir.File("back.kdx"), dir.File("p.kdx"), dir.File("img.bin")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "Information: Backup written (" + dir.File("back.kdx") +
                         ", 2 records): applying it puts the image's bytes back.\n"
                         "The patch grows the image from 100 to 120 Bytes; the backup cannot shorten it: the grown "
                         "tail stays, zero-filled.\n"
                         "Information: Patch successfully applied, burn image to CD now!\n");
    r = Cli({"apply", "-q", dir.File("back.kdx"), dir.File("img.bin")});
    EXPECT_EQ(r.status, 0);
    Bytes expected(100, 1);
    expected.resize(120, 0);
    EXPECT_EQ(ReadFile(dir.File("img.bin")), expected);
}

TEST_F(CliBackup, NoBackupNoWrite)
{
    PatchLayout layout;
    layout.version = 3;
    layout.undoFlag = 1;
    layout.records = {{1, {7}, {0}}};
    WriteFile(dir.File("p.kdx"), BuildPatch(layout));
    WriteFile(dir.File("img.bin"), Bytes(4, 0));
    for (const std::string command : {"apply", "undo"}) {
        const RunResult r = Cli({command, "--backup", dir.File("no/b.kdx"), dir.File("p.kdx"), dir.File("img.bin")});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "Error: Can't write the backup (" + dir.File("no/b.kdx") +
                             "): No such file or directory. Nothing was written to the image.\n");
        EXPECT_EQ(ReadFile(dir.File("img.bin")), Bytes(4, 0));
    }
}

}  // namespace
