// Opening what is named as the image: a cue sheet by its text (whatever its
// name), a text that is no sheet refused, anything else one file; each track
// file held with no sharing and confirmed to be the file the sheet's check
// found.
#include "commands/CueTexts.h"
#include "kdx/Image.h"
#include "tests/support/CueDump.h"
#include "tests/support/FaultyFiles.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

using namespace testsupport;
using kdx::ImageOpenStatus;

namespace {

const std::string kDir = "/d";

// A path as a refusal shows it: with the system's own separators.
std::string Shown(const std::string& path) { return std::filesystem::path(path).make_preferred().string(); }

TEST(ImageTest, WhatTheFileHoldsDecidesNotItsName)
{
    const CueDump dump = GameDump();
    const Bytes sheet = Text(dump.sheet);
    const struct {
        const char* what;
        std::string name;
        Bytes bytes;
        ImageOpenStatus status;
        std::size_t tracks;  // 0: one file
        std::string text;
    } cases[] = {
        {"a sheet under an image's name", "disc.img", sheet, ImageOpenStatus::Opened, 4, ""},
        {"a sheet named as one", "Game.CUE", sheet, ImageOpenStatus::Opened, 4, ""},
        {"bytes named as a sheet", "disc.cue", Bytes(4704, 0), ImageOpenStatus::Opened, 0, ""},
        {"an empty file", "empty.bin", {}, ImageOpenStatus::Opened, 0, ""},
        {"a text that is no sheet", "disc.bin", Text("Track list\r\n1. Intro\r\n2. Outro\r\n"),
         ImageOpenStatus::NotCdImage, 0,
         "This file is not a CD image: it holds text that is not a cue sheet (/d/disc.bin)"},
        {"a sheet of WAVE files", "wave.cue", Text("FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"),
         ImageOpenStatus::CueRefused, 0,
         "Cue sheet line 1: file type \"WAVE\" is not supported: only BINARY track files can be patched."},
        {"a sheet naming a file that is not there", "gone.cue",
         Text("FILE \"gone.bin\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n"), ImageOpenStatus::CueRefused, 0,
         "Cue sheet line 1: the track file " + Shown("/d/gone.bin") + " does not exist."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FileTree tree = dump.Tree(kDir);
        tree[kDir + "/" + c.name] = c.bytes;
        MemoryFiles files(tree);
        for (const bool writable : {false, true}) {
            kdx::Image image(files);
            const kdx::ImageOpenResult opened = image.Open(kDir + "/" + c.name, writable);
            EXPECT_EQ(opened.status, c.status);
            EXPECT_EQ(commands::ImageOpenText(opened), c.text);
            EXPECT_EQ(image.IsOpen(), c.status == ImageOpenStatus::Opened);
            EXPECT_EQ(image.Cue() != nullptr ? image.Cue()->tracks.size() : 0u, c.tracks);
            if (c.tracks > 0) {
                EXPECT_EQ(image.Length(), static_cast<std::int64_t>(dump.Merged().size()));
            }
            EXPECT_TRUE(image.Close());
        }
        EXPECT_EQ(files.Files(), tree) << "opening writes nothing";
    }
}

// Between the sheet's check and the open, a track file may be swapped for
// another (a link to a file outside, another file renamed over it) or grow.
TEST(ImageTest, ATrackFileChangedAfterTheCheckIsRefused)
{
    const CueDump dump = GameDump();
    const std::string track2 = dump.FileIn(kDir, 1);
    const struct {
        const char* what;
        std::function<void(MemoryFiles&)> change;
    } cases[] = {
        {"another file renamed over it", [&](MemoryFiles& m) { m.Rename(kDir + "/other.bin", track2); }},
        {"grown by a sector", [&](MemoryFiles& m) {
             Bytes longer = dump.files[1].bytes;
             longer.resize(longer.size() + 2352);
             m.Put(track2, longer);
         }},
    };
    for (const auto& c : cases) {
        FileTree tree = dump.Tree(kDir);
        tree[kDir + "/other.bin"] = dump.files[1].bytes;
        MemoryFiles memory(tree);
        FaultyFiles files(memory);
        files.Before(FileOp::Open, Named(track2), [&] { c.change(memory); });
        kdx::Image image(files);
        const kdx::ImageOpenResult opened = image.Open(dump.SheetIn(kDir), true);
        EXPECT_EQ(opened.status, ImageOpenStatus::Changed) << c.what;
        EXPECT_EQ(commands::ImageOpenText(opened),
                  "A track file changed after the cue sheet was checked (" + track2 + "). Nothing was written.")
            << c.what;
        EXPECT_FALSE(image.IsOpen()) << c.what;
        for (std::size_t i = 0; i < dump.files.size(); ++i) EXPECT_FALSE(memory.HeldOpen(dump.FileIn(kDir, i))) << c.what;
    }
}

// A track file another program holds, or one that cannot be opened for
// writing, is named in the window's box; a sheet that cannot be opened for
// writing is read all the same (it is never written).
TEST(ImageTest, TrackFilesThatCannotBeOpenedAreNamed)
{
    const CueDump dump = GameDump();
    const std::string sheet = dump.SheetIn(kDir);
    const std::string track3 = dump.FileIn(kDir, 2);
    {
        MemoryFiles memory(dump.Tree(kDir));
        kdx::File holder(memory);
        ASSERT_TRUE(kdx::OpenReadOnly(holder, track3));
        kdx::Image image(memory);
        const kdx::ImageOpenResult opened = image.Open(sheet, false);
        EXPECT_EQ(opened.status, ImageOpenStatus::CantOpen);
        EXPECT_EQ(opened.path, track3);
        EXPECT_EQ(opened.error, EWOULDBLOCK);  // as the file system in memory says it
        EXPECT_EQ(commands::ImageOpenText(opened), "Can't open the specified image file ...\r(" + track3 + ")");
        EXPECT_FALSE(memory.HeldOpen(dump.FileIn(kDir, 0))) << "the files opened before are closed again";
    }
    {
        MemoryFiles memory(dump.Tree(kDir));
        FaultyFiles files(memory);
        files.Fail(FileOp::Open, Named(track3), EACCES);
        kdx::Image image(files);
        const kdx::ImageOpenResult opened = image.Open(sheet, true);
        EXPECT_EQ(opened.status, ImageOpenStatus::CantOpen);
        EXPECT_EQ(opened.path, track3);
        EXPECT_EQ(opened.error, EACCES);
    }
    for (const bool cue : {true, false}) {
        FileTree tree = dump.Tree(kDir);
        tree[kDir + "/disc.bin"] = dump.files[0].bytes;
        const std::string path = cue ? sheet : kDir + "/disc.bin";
        MemoryFiles memory(tree);
        FaultyFiles files(memory);
        files.Fail(FileOp::Open, Named(path), EACCES);  // the first open: for writing
        kdx::Image image(files);
        const kdx::ImageOpenResult opened = image.Open(path, true);
        EXPECT_EQ(opened.status, cue ? ImageOpenStatus::Opened : ImageOpenStatus::CantOpen) << path;
        EXPECT_EQ(opened.error, cue ? 0 : EACCES) << path;
    }
}

// On the disk: the track file replaced by a link to a file outside the
// sheet's folder between the check and the open.
TEST(ImageTest, ALinkSwappedInAfterTheCheckIsRefused)
{
    namespace fs = std::filesystem;
    TempDir dir;
    fs::create_directory(dir.Path() / "dump");
    const std::string folder = dir.File("dump");
    const CueDump dump = GameDump();
    dump.Write(folder);
    const std::string outside = dir.File("outside.bin");
    WriteFile(outside, dump.files[1].bytes);
    kdx::FileFacts facts;  // the name the image opens: its links resolved, as the system says it
    ASSERT_EQ(kdx::SystemFiles().Inspect(dump.FileIn(folder, 1), facts), 0);
    const std::string track2 = facts.path;
    FaultyFiles files;
    std::error_code linked;
    files.Before(FileOp::Open, Named(track2), [&] {
        fs::remove(track2);
        fs::create_symlink(outside, track2, linked);
    });
    kdx::Image image(files);
    const kdx::ImageOpenResult opened = image.Open(dump.SheetIn(folder), true);
    if (linked) GTEST_SKIP() << "no symbolic links here: " << linked.message();
    EXPECT_EQ(opened.status, ImageOpenStatus::Changed);
    EXPECT_EQ(opened.path, track2);
    EXPECT_FALSE(HeldOpen(outside));
}

}  // namespace
