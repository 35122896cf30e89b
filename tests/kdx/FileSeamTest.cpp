// The file layer's seam: every operation of a File and every rename,
// removal and folder sync goes through the file system handed in, so a test
// can fail any of them on any one file.
#include "kdx/File.h"
#include "tests/support/FaultyFiles.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <functional>

using namespace testsupport;

namespace {

// An error number no real call here gives, so a pass-through cannot pass for the fault.
constexpr int kFault = 1234;

struct Outcome {
    bool failed;
    int error;
};

TEST(FileSeam, EveryOperationFailsWhereTheFileSystemHandedInSaysSo)
{
    TempDir dir;
    const std::string a = dir.File("a.bin");
    const std::string moved = dir.File("moved.bin");
    using Step = std::function<Outcome(kdx::File&, kdx::FileSystem&)>;
    const auto failure = [](bool ok, const kdx::File& f) { return Outcome{!ok, f.LastError()}; };
    const struct {
        FileOp op;
        Step step;
    } cases[] = {
        {FileOp::Open, [&](kdx::File& f, kdx::FileSystem&) { return failure(kdx::OpenReadWrite(f, a), f); }},
        {FileOp::Create, [&](kdx::File& f, kdx::FileSystem&) { return failure(f.Create(dir.File("new.bin")), f); }},
        {FileOp::Close, [&](kdx::File& f, kdx::FileSystem&) { return failure(f.Close(), f); }},
        {FileOp::Read, [&](kdx::File& f, kdx::FileSystem&) {
             std::uint8_t b[4];
             return failure(f.ReadAt(0, b, 4) == 4, f);
         }},
        {FileOp::Write, [&](kdx::File& f, kdx::FileSystem&) { return failure(f.WriteAt(0, "wxyz", 4), f); }},
        {FileOp::Sync, [&](kdx::File& f, kdx::FileSystem&) { return failure(f.Sync(), f); }},
        {FileOp::Sync, [&](kdx::File& f, kdx::FileSystem&) { return failure(f.SyncData(), f); }},
        {FileOp::Length, [&](kdx::File& f, kdx::FileSystem&) { return failure(f.Length() == 8, f); }},
        {FileOp::Reserve, [&](kdx::File& f, kdx::FileSystem&) {
             const int rc = f.Reserve(0, 16);
             return Outcome{rc != 0, rc};
         }},
        {FileOp::SetLength, [&](kdx::File& f, kdx::FileSystem&) { return failure(f.SetLength(4), f); }},
        {FileOp::Map, [&](kdx::File& f, kdx::FileSystem&) {
             kdx::MappedRegion map;
             return failure(f.Map(8, map), f);
         }},
        {FileOp::FlushMap, [&](kdx::File& f, kdx::FileSystem&) {
             kdx::MappedRegion map;
             if (!f.Map(8, map)) return Outcome{false, 0};
             const bool ok = map.Flush();
             return Outcome{!ok, map.LastError()};
         }},
        {FileOp::Unmap, [&](kdx::File& f, kdx::FileSystem&) {
             kdx::MappedRegion map;
             if (!f.Map(8, map)) return Outcome{false, 0};
             const bool ok = map.Unmap();
             return Outcome{!ok, map.LastError()};
         }},
        {FileOp::Rename, [&](kdx::File&, kdx::FileSystem& fs) {
             const int rc = kdx::RenameFile(a, moved, fs);
             return Outcome{rc != 0, rc};
         }},
        {FileOp::Remove, [&](kdx::File&, kdx::FileSystem& fs) {
             const int rc = kdx::RemoveFile(a, fs);
             return Outcome{rc != 0, rc};
         }},
        {FileOp::SyncFolder, [&](kdx::File&, kdx::FileSystem& fs) {
             const int rc = kdx::SyncFolderOf(a, fs);
             return Outcome{rc != 0, rc};
         }},
    };
    for (const auto& c : cases) {
        const int op = static_cast<int>(c.op);
        for (const bool faulty : {false, true}) {
            WriteFile(a, Text("abcdefgh"));
            std::filesystem::remove(dir.File("new.bin"));
            FaultyFiles fs;
            if (faulty) fs.Fail(c.op, c.op == FileOp::Create ? Named(dir.File("new.bin")) : Named(a), kFault);
            kdx::File f(fs);
            const bool onAFile = c.op != FileOp::Open && c.op != FileOp::Create && c.op != FileOp::Rename &&
                                 c.op != FileOp::Remove && c.op != FileOp::SyncFolder;
            if (onAFile) {
                ASSERT_TRUE(kdx::OpenReadWrite(f, a)) << op;
            }
            const Outcome out = c.step(f, fs);
            EXPECT_EQ(out.failed, faulty) << op;
            if (faulty) {
                EXPECT_EQ(out.error, kFault) << op;
            }
            EXPECT_EQ(fs.Calls(c.op, AnyFile()), 1) << op;
            f.Close();
            std::filesystem::remove(moved);
        }
    }
}

TEST(FileSeam, OnlyTheNthCallOnTheMatchingFileFails)
{
    TempDir dir;
    const std::string target = dir.File("out.kdx");
    const struct {
        FileMatch match;
        std::string file;
        std::vector<bool> writesFail;  // the first four writes to file
    } cases[] = {
        {Named(dir.File("a")), dir.File("a"), {false, true, false, false}},
        {Named(dir.File("a")), dir.File("b"), {false, false, false, false}},
        {TemporaryOf(target), target + ".part-42", {false, true, false, false}},
        {TemporaryOf(target), target + ".part-", {false, false, false, false}},
        {TemporaryOf(target), target, {false, false, false, false}},
        {TemporaryOf(target), dir.File("xout.kdx.part-1"), {false, false, false, false}},
        {AnyFile(), dir.File("c"), {false, true, false, false}},
    };
    for (const auto& c : cases) {
        FaultyFiles fs;
        fs.Fail(FileOp::Write, c.match, EIO, 2);
        kdx::File f(fs);
        ASSERT_TRUE(f.Create(c.file)) << c.file;
        for (std::size_t i = 0; i < c.writesFail.size(); ++i)
            EXPECT_EQ(!f.WriteAt(static_cast<std::int64_t>(i), "x", 1), c.writesFail[i]) << c.file << " write " << i;
        f.Close();
        std::filesystem::remove(c.file);
    }

    // 0: every call; two rules on one call: the first one's error.
    FaultyFiles fs;
    fs.Fail(FileOp::Sync, AnyFile(), ENOSPC, 0);
    fs.Fail(FileOp::Sync, AnyFile(), EIO, 2);
    kdx::File f(fs);
    ASSERT_TRUE(f.Create(dir.File("d")));
    for (const int expected : {ENOSPC, ENOSPC, ENOSPC}) {
        EXPECT_FALSE(f.Sync());
        EXPECT_EQ(f.LastError(), expected);
    }
}

TEST(FileSeam, AFailedCloseOrUnmapStillGivesTheHandleBack)
{
    TempDir dir;
    const std::string path = dir.File("a");
    WriteFile(path, Bytes(8, 1));
    FaultyFiles fs;
    fs.Fail(FileOp::Close, AnyFile(), EIO);
    fs.Fail(FileOp::Unmap, AnyFile(), EIO);
    kdx::File f(fs);
    ASSERT_TRUE(kdx::OpenReadWrite(f, path));
    kdx::MappedRegion map;
    ASSERT_TRUE(f.Map(8, map));
    map.Data()[0] = 9;
    EXPECT_FALSE(map.Unmap());
    EXPECT_EQ(map.Data(), nullptr);
    EXPECT_FALSE(f.Close());
    EXPECT_FALSE(f.IsOpen());
    EXPECT_FALSE(HeldOpen(path));
    EXPECT_EQ(ReadFile(path)[0], 9);  // the changed page still reached the file
}

}  // namespace
