// A whole-file writer on every way a file operation can fail: the step it
// names, the file and the error it reports, and what stays under which name.
#include "kdx/PatchOutput.h"
#include "tests/support/FaultyFiles.h"
#include "tests/support/MemoryFiles.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace testsupport;

namespace {

using Failure = kdx::PatchOutput::Failure;

TEST(PatchOutputFaults, EachFailedStepIsNamedAndTheOldFileStays)
{
    const std::string target = "/d/out.kdx";
    const std::string temp = "temporary";
    const Bytes old = Text("old");
    const Bytes written = Noise(kdx::PatchOutput::kBufferSize + 10, 3);  // two writes
    const struct {
        FileOp op;
        FileMatch file;
        int nth;
        int error;
        Failure failure;
        std::string errorPath;
        FileTree after;
    } cases[] = {
        {FileOp::Create, TemporaryOf(target), 1, EACCES, Failure::Create, target, {{target, old}}},
        {FileOp::Write, TemporaryOf(target), 1, EIO, Failure::Write, temp, {{target, old}}},
        {FileOp::Write, TemporaryOf(target), 2, ENOSPC, Failure::Write, temp, {{target, old}}},
        {FileOp::Sync, TemporaryOf(target), 1, EIO, Failure::Write, temp, {{target, old}}},
        {FileOp::Close, TemporaryOf(target), 1, EIO, Failure::Write, temp, {{target, old}}},
        {FileOp::Rename, Named(target), 1, EXDEV, Failure::Place, target, {{target, old}}},
        // The new file is in place, but it may not stay there after a crash: said so.
        {FileOp::SyncFolder, Named(target), 1, EIO, Failure::Place, target, {{target, written}}},
    };
    for (const auto& c : cases) {
        const int op = static_cast<int>(c.op);
        MemoryFiles memory({{target, old}});
        FaultyFiles fs(memory);
        fs.Fail(c.op, c.file, c.error, c.nth);
        {
            kdx::PatchOutput out(target, fs);
            const bool ok = out.Begin() && out.Append(written.data(), written.size()) && out.Commit();
            EXPECT_FALSE(ok) << op;
            EXPECT_EQ(out.Failed(), c.failure) << op;
            EXPECT_EQ(out.Error(), c.error) << op;
            if (c.errorPath == temp) {
                EXPECT_EQ(out.ErrorPath().rfind(target + ".part-", 0), 0u) << op << " " << out.ErrorPath();
            } else {
                EXPECT_EQ(out.ErrorPath(), c.errorPath) << op;
            }
        }
        EXPECT_EQ(memory.Files(), c.after) << op;
        EXPECT_FALSE(memory.HeldOpen(target)) << op;
    }
}

TEST(PatchOutputFaults, TriesOtherTemporaryNamesOnlyWhileTheyAreTaken)
{
    const std::string target = "/d/out.kdx";
    const struct {
        int error;
        int creates;
    } cases[] = {{EEXIST, 100}, {EACCES, 1}};
    for (const auto& c : cases) {
        MemoryFiles memory;
        memory.MakeFolder("/d");
        FaultyFiles fs(memory);
        fs.Fail(FileOp::Create, TemporaryOf(target), c.error, 0);
        kdx::PatchOutput out(target, fs);
        EXPECT_FALSE(out.Begin());
        EXPECT_EQ(out.Failed(), Failure::Create);
        EXPECT_EQ(out.Error(), c.error);
        EXPECT_EQ(fs.Calls(FileOp::Create, AnyFile()), c.creates);
        EXPECT_TRUE(memory.Files().empty());
    }
}

}  // namespace
