// The states a power loss may leave, rebuilt from what the memory file system
// recorded: first the model itself on small records, then a writer of whole
// files (the patch output) held to its promise in every state.
#include "kdx/File.h"
#include "kdx/PatchOutput.h"
#include "tests/support/CrashStates.h"

#include <gtest/gtest.h>

#include <iostream>

using namespace testsupport;

namespace {

using States = std::map<FileTree, std::size_t>;  // each state, and the point that first gave it

States AllStates(const MemoryFiles& fs, CrashOptions options, CrashCount* count = nullptr)
{
    States states;
    const CrashCount c = ForEachCrashState(fs, options, [&](const FileTree& state, std::size_t point) {
        EXPECT_TRUE(states.emplace(state, point).second) << "a state handed over twice, at point " << point;
    });
    if (count != nullptr) *count = c;
    return states;
}

TEST(CrashStates, AnyPieceWrittenSinceTheLastSyncMayBeLostNothingSynced)
{
    MemoryFiles fs({{"/d/f", Text("abcd")}});
    kdx::File f(fs);
    ASSERT_TRUE(kdx::OpenReadWrite(f, "/d/f"));
    ASSERT_TRUE(f.WriteAt(0, "XYZ", 3));  // pieces of 2 bytes: "XY" and "Z" each kept or lost
    ASSERT_TRUE(f.Sync());
    ASSERT_TRUE(f.WriteAt(1, "Q", 1));
    ASSERT_TRUE(f.SetLength(2));
    CrashOptions options;
    options.piece = 2;
    CrashCount count;
    const States states = AllStates(fs, options, &count);
    EXPECT_EQ(states, (States{{{{"/d/f", Text("abcd")}}, 0},
                              {{{"/d/f", Text("XYcd")}}, 1},
                              {{{"/d/f", Text("abZd")}}, 1},
                              {{{"/d/f", Text("XYZd")}}, 1},
                              {{{"/d/f", Text("XQZd")}}, 3},
                              {{{"/d/f", Text("XY")}}, 4},
                              {{{"/d/f", Text("XQ")}}, 4}}));
    EXPECT_EQ(count.points, 5u);
    EXPECT_EQ(count.tried, 7u);
    EXPECT_EQ(count.sampledPoints, 0u);
}

// Writes "new" to path the way a careful writer does (synced before the
// rename), or without the sync.
void Replace(MemoryFiles& fs, const std::string& path, bool sync)
{
    kdx::File part(fs);
    ASSERT_TRUE(part.Create(path + ".part"));
    ASSERT_TRUE(part.WriteAt(0, "new", 3));
    if (sync) {
        ASSERT_TRUE(part.Sync());
    }
    ASSERT_TRUE(part.Close());
    ASSERT_EQ(kdx::RenameFile(path + ".part", path, fs), 0);
    ASSERT_EQ(kdx::SyncFolderOf(path, fs), 0);
}

TEST(CrashStates, NamesReachTheDiskInOrderAndOnlyAFolderSyncMakesThemStay)
{
    const struct {
        bool sync;
        States states;
    } cases[] = {
        {true,
         {{{{"/d/out", Text("old")}}, 0},
          {{{"/d/out", Text("old")}, {"/d/out.part", {}}}, 1},
          {{{"/d/out", Text("old")}, {"/d/out.part", Text("new")}}, 2},
          {{{"/d/out", Text("new")}}, 4}}},
        // Without the sync the new name can stand for an empty file: the old
        // file is gone and the new one never reached the disk.
        {false,
         {{{{"/d/out", Text("old")}}, 0},
          {{{"/d/out", Text("old")}, {"/d/out.part", {}}}, 1},
          {{{"/d/out", Text("old")}, {"/d/out.part", Text("new")}}, 2},
          {{{"/d/out", {}}}, 3},
          {{{"/d/out", Text("new")}}, 3}}},
    };
    for (const auto& c : cases) {
        MemoryFiles fs({{"/d/out", Text("old")}});
        Replace(fs, "/d/out", c.sync);
        EXPECT_EQ(AllStates(fs, {}), c.states) << c.sync;
    }
}

TEST(CrashStates, PatchOutputLeavesTheOldFileOrTheWholeNewOne)
{
    const std::string target = "/d/out.kdx";
    const Bytes old = Text("the old patch");
    const Bytes written = Noise(3 * MemoryFiles::kPage + 100, 7);  // four pieces
    const struct {
        std::uint64_t enumerateUpTo;
        std::uint64_t tried;  // 0: drawn, not counted here
        std::size_t sampledPoints;
    } cases[] = {{4096, 18, 0}, {4, 0, 1}};
    for (const auto& c : cases) {
        MemoryFiles fs({{target, old}});
        kdx::PatchOutput out(target, fs);
        ASSERT_TRUE(out.Begin());
        ASSERT_TRUE(out.Append(written.data(), written.size()));
        ASSERT_TRUE(out.Commit());
        CrashOptions options;
        options.enumerateUpTo = c.enumerateUpTo;
        bool sawNew = false;
        const CrashCount count = ForEachCrashState(fs, options, [&](const FileTree& state, std::size_t point) {
            ASSERT_EQ(state.count(target), 1u) << point;
            EXPECT_TRUE(state.at(target) == old || state.at(target) == written) << point;
            sawNew = sawNew || state.at(target) == written;
            for (const auto& [path, bytes] : state)
                EXPECT_TRUE(path == target || path.rfind(target + ".part-", 0) == 0) << path;
        });
        EXPECT_TRUE(sawNew);
        EXPECT_EQ(count.points, 6u);  // create, write, sync, rename, folder sync
        if (c.tried != 0) {
            EXPECT_EQ(count.tried, c.tried);
        }
        EXPECT_EQ(count.sampledPoints, c.sampledPoints);
        std::cout << "patch output: " << count.tried << " crash states tried over " << count.points << " points ("
                  << count.sampledPoints << " sampled)\n";
    }
}

}  // namespace
