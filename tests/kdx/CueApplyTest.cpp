// A patch made for the one-file image, applied through a cue sheet to the
// track files: exactly the bytes of applying it to the merged file, written
// or mapped, inside a track, across the files' boundaries and past the end.
#include "kdx/Apply.h"
#include "kdx/Image.h"
#include "tests/kdx/KdxTest.h"
#include "tests/support/CueDump.h"
#include "tests/support/FaultyFiles.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace testsupport;

namespace {

const std::string kDir = "/d";
const std::string kPatch = "/p/p.kdx";
const std::string kMerged = "/m/merged.bin";
constexpr std::int64_t kS = 2352;
constexpr std::int64_t kRange = 27 * kS;  // the game dump's four files
constexpr std::int64_t kTrack2At = 12 * kS;
constexpr std::int64_t kTrack4At = 21 * kS;

struct Applied {
    kdx::ApplyResult result;
    FileTree files;
};

// Applies the patch to the image at path among start's files; maps refused when mapped is false.
Applied ApplyTo(FileTree start, const std::string& path, const PatchLayout& layout, bool undo, bool mapped)
{
    start[kPatch] = BuildPatch(layout);
    MemoryFiles memory(start);
    FaultyFiles files(memory);
    if (!mapped) files.Fail(FileOp::Map, AnyFile(), ENOMEM, 0);
    kdx::File patch(files);
    EXPECT_TRUE(kdx::OpenReadOnly(patch, kPatch));
    const kdx::Patch loaded = kdxtest::Read(patch, kPatch);
    kdx::Image image(files);
    if (!image.Open(path, true).ok()) {
        ADD_FAILURE() << "cannot open " << path;
        return {{kdx::ApplyStatus::WriteFailed, "not opened", 0}, {}};
    }
    kdxtest::Steps steps;
    Applied applied{kdx::ApplyPatch(loaded, patch, image, loaded.Writes(undo), steps), {}};
    EXPECT_TRUE(image.Close());
    applied.files = memory.Files();
    return applied;
}

// Records of n bytes from `from` on, back to back, each byte the complement of the image's.
std::vector<Rec> Flipped(const Bytes& image, std::int64_t from, std::size_t records, std::size_t n)
{
    std::vector<Rec> out;
    for (std::size_t r = 0; r < records; ++r) {
        Rec rec{from + static_cast<std::int64_t>(r * n), {}, {}};
        for (std::size_t i = 0; i < n; ++i) {
            const auto at = static_cast<std::size_t>(rec.offset) + i;
            rec.undo.push_back(at < image.size() ? image[at] : 0);
            rec.bytes.push_back(static_cast<std::uint8_t>(~rec.undo.back()));
        }
        out.push_back(rec);
    }
    return out;
}

TEST(CueApplyTest, GivesTheBytesOfTheMergedFile)
{
    const CueDump dump = GameDump();
    const Bytes merged = dump.Merged();
    ASSERT_EQ(static_cast<std::int64_t>(merged.size()), kRange);
    std::vector<Rec> scattered;
    for (std::int64_t at = 5; at + 3 < kRange; at += 700) scattered.push_back(Flipped(merged, at, 1, 3)[0]);
    const struct {
        const char* what;
        std::vector<Rec> records;
        std::int64_t grows;  // bytes the last file grows by
    } cases[] = {
        {"inside tracks", {Flipped(merged, 100, 1, 255)[0], Flipped(merged, kTrack2At + 3000, 1, 10)[0]}, 0},
        {"across each boundary", {Flipped(merged, kTrack2At - 100, 1, 200)[0], Flipped(merged, 17 * kS - 1, 1, 2)[0],
                                  Flipped(merged, kTrack4At - 255, 1, 255)[0]}, 0},
        {"a run over three files", Flipped(merged, 11 * kS, 94, 255), 0},
        {"scattered over every file", scattered, 0},
        {"the first and last byte", {Flipped(merged, 0, 1, 1)[0], Flipped(merged, kRange - 1, 1, 1)[0]}, 0},
        {"past the end, a sector more", {Flipped(merged, kRange - 5, 1, 5)[0], Flipped(merged, kRange + kS - 10, 1, 10)[0]}, kS},
    };
    for (const auto& c : cases) {
        PatchLayout layout;
        layout.version = 3;
        layout.undoFlag = 1;
        layout.records = c.records;
        for (const bool mapped : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (mapped ? ", mapped" : ", written"));
            const Applied one = ApplyTo({{kMerged, merged}}, kMerged, layout, false, mapped);
            ASSERT_TRUE(one.result.Written());
            const Bytes& expected = one.files.at(kMerged);
            ASSERT_NE(expected, merged);
            const Applied cue = ApplyTo(dump.Tree(kDir), dump.SheetIn(kDir), layout, false, mapped);
            ASSERT_TRUE(cue.result.Written()) << kdxtest::Boxes(cue.result)[0];
            EXPECT_TRUE(dump.Read(cue.files, kDir) == expected);
            EXPECT_EQ(cue.files.at(dump.SheetIn(kDir)), Text(dump.sheet)) << "the sheet is never written";
            for (std::size_t i = 0; i < dump.files.size(); ++i) {
                const std::size_t grown = i + 1 == dump.files.size() ? static_cast<std::size_t>(c.grows) : 0;
                EXPECT_EQ(cue.files.at(dump.FileIn(kDir, i)).size(), dump.files[i].bytes.size() + grown) << i;
            }
            // Its undo data takes it back out, the grown tail aside.
            FileTree patched = cue.files;
            patched.erase(kPatch);
            const Applied undone = ApplyTo(patched, dump.SheetIn(kDir), layout, true, mapped);
            ASSERT_TRUE(undone.result.Written());
            Bytes back = dump.Read(undone.files, kDir);
            back.resize(merged.size());
            EXPECT_TRUE(back == merged);
        }
    }
}

// A sheet can only be read again when its last file holds whole sectors:
// growth by part of one is refused before anything is written.
TEST(CueApplyTest, GrowthByPartOfASectorWritesNothing)
{
    const CueDump dump = GameDump();
    const Bytes merged = dump.Merged();
    for (const std::int64_t end : {kRange + 1, kRange + kS - 1, kRange + kS + 100}) {
        PatchLayout layout;
        layout.version = 3;
        layout.records = {Flipped(merged, 10, 1, 4)[0], Flipped(merged, end - 1, 1, 1)[0]};
        const Applied cue = ApplyTo(dump.Tree(kDir), dump.SheetIn(kDir), layout, false, true);
        EXPECT_EQ(cue.result.status, kdx::ApplyStatus::PartSector) << end;
        EXPECT_EQ(kdxtest::Boxes(cue.result),
                  std::vector<std::string>{"This patch would end the last track file inside a 2352-Byte sector "
                                           "(/d/Game (Europe) (Track 4).bin), its cue sheet could not be read again. "
                                           "This operation has been cancelled."})
            << end;
        FileTree expected = dump.Tree(kDir);
        expected[kPatch] = BuildPatch(layout);
        EXPECT_EQ(cue.files, expected) << end;
    }
}

// A write or a flush failing in the second track file: the failure names
// it, and every file keeps its length.
TEST(CueApplyTest, AFailureInTheSecondTrackFileNamesItAndKeepsEveryLength)
{
    const CueDump dump = GameDump();
    const Bytes merged = dump.Merged();
    const std::string track2 = dump.FileIn(kDir, 1);
    PatchLayout layout;
    layout.version = 3;
    layout.records = Flipped(merged, kTrack2At - 300, 3, 255);  // the first two files
    layout.records.push_back(Flipped(merged, kRange + kS - 1, 1, 1)[0]);  // grows the last
    const struct {
        FileOp op;
        bool mapped;
    } cases[] = {{FileOp::Write, false}, {FileOp::Sync, false}, {FileOp::Sync, true}, {FileOp::FlushMap, true}};
    for (const auto& c : cases) {
        FileTree start = dump.Tree(kDir);
        start[kPatch] = BuildPatch(layout);
        MemoryFiles memory(start);
        FaultyFiles files(memory);
        files.Fail(c.op, Named(track2), EIO);
        if (!c.mapped) files.Fail(FileOp::Map, AnyFile(), ENOMEM, 0);
        kdx::File patch(files);
        ASSERT_TRUE(kdx::OpenReadOnly(patch, kPatch));
        const kdx::Patch loaded = kdxtest::Read(patch, kPatch);
        kdx::Image image(files);
        ASSERT_TRUE(image.Open(dump.SheetIn(kDir), true).ok());
        kdxtest::Steps steps;
        const kdx::ApplyResult r = kdx::ApplyPatch(loaded, patch, image, loaded.Writes(false), steps);
        image.Close();
        EXPECT_EQ(kdxtest::Boxes(r), std::vector<std::string>{"Can't write to the image file (" + track2 + ": " +
                                                              kdx::SystemErrorText(EIO) +
                                                              "). This operation has been cancelled."})
            << static_cast<int>(c.op);
        for (std::size_t i = 0; i < dump.files.size(); ++i)
            EXPECT_EQ(memory.Get(dump.FileIn(kDir, i))->size(), dump.files[i].bytes.size()) << static_cast<int>(c.op);
    }
}

}  // namespace
