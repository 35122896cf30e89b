// Each writer of mendrix-cli with one file call failing: the message, the
// exit status, and what is left. The image is untouched, or back to its
// length and put back by the backup; no name holds half a file; no
// temporary file stays.
#include "kdx/CdSector.h"
#include "tests/cli/InProcess.h"
#include "tests/support/CueDump.h"
#include "tests/support/FaultyFiles.h"
#include "tests/support/MemoryFiles.h"
#include "tests/support/PatchBuilder.h"
#include "tests/support/RawSectors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <regex>

using namespace testsupport;
using clitest::kBackup;
using clitest::kImage;
using clitest::kPatch;
using clitest::RunCli;
using clitest::Said;

namespace {

// A temporary file's name ends in a number drawn at random.
std::string Plain(const std::string& text) { return std::regex_replace(text, std::regex(R"(\.part-[0-9]+)"), ".part-N"); }

bool AnyTemporary(const FileTree& files)
{
    return std::any_of(files.begin(), files.end(), [](const auto& f) { return f.first.find(".part-") != std::string::npos; });
}

// What a failed command leaves of the image.
enum class Left {
    Untouched,    // byte for byte as before
    SameLength,   // its length as before; the backup puts the bytes back
    Done          // the command's result: the call that failed cost nothing
};

struct Case {
    const char* name;
    FileOp op;
    FileMatch file;
    int error;
    int nth;
    std::string err;
    Left left;
    bool backupLeft;
};

class WriterFaults : public ::testing::Test {
protected:
    // Scattered records (a map) with undo data, and a back-to-back run (writes).
    void SetUp() override
    {
        original = Noise(3 * 4096 + 100, 1);
        PatchLayout layout;
        layout.version = 3;
        layout.undoFlag = 1;
        const auto rec = [&](std::int64_t at, Bytes bytes) {
            Bytes undo(original.begin() + at, original.begin() + at + static_cast<std::int64_t>(bytes.size()));
            layout.records.push_back({at, std::move(bytes), std::move(undo)});
        };
        rec(100, {1, 2, 3, 4});
        rec(5000, {5, 6, 7});
        rec(12000, {8, 9});
        patch = BuildPatch(layout);
        patched = original;
        for (const Rec& r : layout.records) std::copy(r.bytes.begin(), r.bytes.end(), patched.begin() + r.offset);
    }

    Bytes original;
    Bytes patched;
    Bytes patch;
};

TEST_F(WriterFaults, ApplyAndUndoWithABackup)
{
    const std::string backupWritten = "Information: Backup written (" + kBackup +
                                      ", 3 records): applying it puts the image's bytes back.\n";
    const std::string cantWriteImage = "Error: Can't write to the image file (Input/output error). This operation "
                                       "has been cancelled.\n";
    const std::string success = "Information: Patch successfully applied, burn image to CD now!\n";
    const auto backupError = [](const std::string& path, const std::string& reason) {
        return "Error: Can't write the backup (" + path + "): " + reason + ". Nothing was written to the image.\n";
    };
    const std::vector<Case> cases = {
        {"patch unopened", FileOp::Open, Named(kPatch), EACCES, 1, "Error: Can't open kdx (" + kPatch + ")\n(Permission denied)\n",
         Left::Untouched, false},
        {"image unopened", FileOp::Open, Named(kImage), EACCES, 1,
         "Error: Can't open the specified image file ...\n(" + kImage + ")\n(Permission denied)\n", Left::Untouched, false},
        {"patch unopened at the apply", FileOp::Open, Named(kPatch), EACCES, 2,
         "Error: Can't open the specified kdx file ...\n(" + kPatch + ")\n(Permission denied)\n", Left::Untouched, false},
        {"backup not made", FileOp::Create, TemporaryOf(kBackup), EACCES, 1,
         backupError(kBackup, "Permission denied"), Left::Untouched, false},
        {"backup not written", FileOp::Write, TemporaryOf(kBackup), ENOSPC, 1,
         backupError(kBackup + ".part-N", "No space left on device"), Left::Untouched, false},
        {"backup not synced", FileOp::Sync, TemporaryOf(kBackup), EIO, 1,
         backupError(kBackup + ".part-N", "Input/output error"), Left::Untouched, false},
        {"backup not closed", FileOp::Close, TemporaryOf(kBackup), EIO, 1,
         backupError(kBackup + ".part-N", "Input/output error"), Left::Untouched, false},
        {"backup not renamed", FileOp::Rename, Named(kBackup), EXDEV, 1,
         backupError(kBackup, "Invalid cross-device link"), Left::Untouched, false},
        {"backup's folder not synced", FileOp::SyncFolder, Named(kBackup), EIO, 1,
         backupError(kBackup, "Input/output error"), Left::Untouched, true},
        {"image unread at its open", FileOp::Read, Named(kImage), EIO, 1,
         "Error: Can't open the specified image file ...\n(" + kImage + ")\n(Input/output error)\n", Left::Untouched,
         false},
        // The first read tells what the image is; the backup reads next.
        {"image unread for the backup", FileOp::Read, Named(kImage), EIO, 2,
         "Error: Can't read the image for its backup (" + kImage + "): Input/output error. Nothing was written "
         "to the image.\n",
         Left::Untouched, false},
        {"no space", FileOp::Reserve, Named(kImage), ENOSPC, 1,
         backupWritten + "Error: Can't write to the image file (No space left on device). This operation has been "
                         "cancelled.\n",
         Left::Untouched, true},
        {"map unflushed", FileOp::FlushMap, Named(kImage), EIO, 1, backupWritten + cantWriteImage, Left::SameLength,
         true},
        {"image unsynced", FileOp::Sync, Named(kImage), EIO, 1, backupWritten + cantWriteImage, Left::SameLength,
         true},
        {"image unclosed", FileOp::Close, Named(kImage), EIO, 1, backupWritten + cantWriteImage, Left::SameLength,
         true},
        {"no map", FileOp::Map, Named(kImage), ENOMEM, 1, backupWritten + success, Left::Done, true},
    };
    for (const std::string command : {"apply", "undo"}) {
        const Bytes& before = command == "apply" ? original : patched;
        const Bytes& after = command == "apply" ? patched : original;
        for (const auto& c : cases) {
            const std::string name = command + ": " + c.name;
            MemoryFiles memory({{kImage, before}, {kPatch, patch}});
            FaultyFiles files(memory);
            files.Fail(c.op, c.file, c.error, c.nth);
            const Said said = RunCli({command, "-q", "--backup", kBackup, kPatch, kImage}, files);
            EXPECT_EQ(said.status, c.left == Left::Done ? 0 : 1) << name;
            // An undo ends with a success line of its own.
            std::string err = c.err;
            if (const std::size_t at = err.find(success); command == "undo" && at != std::string::npos)
                err.replace(at, success.size(), "Information: Patch successfully taken back out of the image\n");
            EXPECT_EQ(Plain(said.err), err) << name;
            const FileTree left = memory.Files();
            EXPECT_FALSE(AnyTemporary(left)) << name;
            EXPECT_EQ(left.count(kBackup), c.backupLeft ? 1u : 0u) << name;
            switch (c.left) {
            case Left::Untouched: EXPECT_TRUE(left.at(kImage) == before) << name; break;
            case Left::SameLength: EXPECT_EQ(left.at(kImage).size(), before.size()) << name; break;
            case Left::Done: EXPECT_TRUE(left.at(kImage) == after) << name; break;
            }
            // Whatever stands under the backup's name puts the image back.
            if (c.backupLeft) {
                const Said back = RunCli({"apply", "-q", kBackup, kImage}, memory);
                EXPECT_EQ(back.status, 0) << name << back.err;
                EXPECT_TRUE(memory.Get(kImage) == before) << name;
            }
        }
    }
}

// The whole-image fix and the fix around an apply, on a raw image whose
// sectors 1 and 3 are wrong; the patch changes data in sector 0.
TEST_F(WriterFaults, SectorFixes)
{
    constexpr std::size_t kS = 2352;
    const std::string disc = "d/disc.bin";
    const Bytes clean = RawImage({RawKind::Mode1, RawKind::Mode1, RawKind::Mode2Form1, RawKind::Mode1});
    Bytes wrong = clean;
    wrong[1 * kS + 2064] ^= 0x01;
    wrong[3 * kS + 2064] ^= 0x01;
    Bytes firstFixed = wrong;  // sector 1 written, sector 3 not yet
    std::copy_n(clean.begin() + kS, kS, firstFixed.begin() + kS);
    PatchLayout layout;
    layout.version = 3;
    layout.records = {{100, {0xAA, 0xBB}, {}}};
    Bytes patchedOnly = wrong;  // the record written, sector 0's EDC/ECC not yet
    patchedOnly[100] = 0xAA;
    patchedOnly[101] = 0xBB;
    Bytes repaired = patchedOnly;
    kdx::RepairSector(kdx::SectorBytes(repaired.data(), kS));
    const std::string cantRead = "Error: Can't read the image's sectors (Input/output error). This operation has been "
                                 "cancelled.\n";
    const std::string cantWrite = "Error: Can't write to the image file (Input/output error). This operation has "
                                  "been cancelled.\n";
    const std::string asked = "Warning: Some discs carry sectors whose EDC/ECC are wrong on purpose (copy protection); "
                              "such a disc may no longer start once they are made right. Write the right EDC/ECC into "
                              "every Mode 1 and Mode 2 sector found wrong, in place? yes\n";
    const struct {
        const char* name;
        std::vector<std::string> args;
        FileOp op;
        int nth;
        std::string err;
        Bytes left;
    } cases[] = {
        {"sectors --fix: unopened", {"sectors", "--fix"}, FileOp::Open, 1,
         "Error: Can't open the specified image file ...\n(" + disc + ")\n(Input/output error)\n", wrong},
        // The first read of each tells what the image is.
        {"sectors --fix: first sector unread", {"sectors", "--fix"}, FileOp::Read, 2, cantRead, wrong},
        {"sectors --fix: a piece unread", {"sectors", "--fix"}, FileOp::Read, 3, asked + cantRead, wrong},
        {"sectors --fix: first repair unwritten", {"sectors", "--fix"}, FileOp::Write, 1, asked + cantWrite, wrong},
        {"sectors --fix: second repair unwritten", {"sectors", "--fix"}, FileOp::Write, 2, asked + cantWrite, firstFixed},
        {"sectors --fix: repairs unsynced", {"sectors", "--fix"}, FileOp::Sync, 1, asked + cantWrite, clean},
        {"sectors --fix: unclosed", {"sectors", "--fix"}, FileOp::Close, 1, asked + cantWrite, clean},
        {"sectors: a piece unread", {"sectors"}, FileOp::Read, 3, cantRead, wrong},
        {"--fix-sectors: first sector unread", {"apply", "--fix-sectors", kPatch}, FileOp::Read, 2, cantRead, wrong},
        {"--fix-sectors: touched sectors unread", {"apply", "--fix-sectors", kPatch}, FileOp::Read, 3, cantRead,
         wrong},
        // The records go through a map; the first write is the repair's, the first sync the records'.
        {"--fix-sectors: repair unwritten", {"apply", "--fix-sectors", kPatch}, FileOp::Write, 1, cantWrite,
         patchedOnly},
        {"--fix-sectors: repair unsynced", {"apply", "--fix-sectors", kPatch}, FileOp::Sync, 2, cantWrite, repaired},
    };
    for (const auto& c : cases) {
        MemoryFiles memory({{disc, wrong}, {kPatch, BuildPatch(layout)}});
        FaultyFiles files(memory);
        files.Fail(c.op, Named(disc), EIO, c.nth);
        std::vector<std::string> args = c.args;
        args.insert(args.begin() + 1, {"--yes", "-q"});
        args.push_back(disc);
        const Said said = RunCli(args, files);
        EXPECT_EQ(said.status, 1) << c.name;
        EXPECT_EQ(said.out, "") << c.name;
        EXPECT_EQ(said.err, c.err) << c.name;
        EXPECT_TRUE(memory.Get(disc) == c.left) << c.name;
    }
}

// make, over an older patch of the same name.
TEST_F(WriterFaults, Make)
{
    const std::string a = "d/a.bin";
    const std::string b = "d/b.bin";
    const std::string diz = "d/file_id.diz";
    const std::string out = "d/out.kdx";
    const Bytes old = Text("an older patch");
    const auto error = [](const std::string& text) { return "Error: " + text + "\n"; };
    const struct {
        const char* name;
        FileOp op;
        FileMatch file;
        int error;
        std::string err;
        bool replaced;  // out.kdx holds the new patch
    } cases[] = {
        {"original unopened", FileOp::Open, Named(a), EACCES,
         error("Can't open the original image (" + a + "): Permission denied"), false},
        // Every read fails: the first, which tells what the image is, at its open.
        {"modified unread", FileOp::Read, Named(b), EIO,
         error("Can't open the modified image (" + b + "): Input/output error"), false},
        {"text unopened", FileOp::Open, Named(diz), ENOENT,
         error("Can't open the FILE_ID.DIZ file (" + diz + "): No such file or directory"), false},
        {"text unread", FileOp::Read, Named(diz), EIO,
         error("Can't read the FILE_ID.DIZ file (" + diz + "): Input/output error"), false},
        {"patch not made", FileOp::Create, TemporaryOf(out), EACCES,
         error("Can't create the patch file (" + out + "): Permission denied"), false},
        {"patch not written", FileOp::Write, TemporaryOf(out), ENOSPC,
         error("Can't write the patch file (" + out + ".part-N): No space left on device"), false},
        {"patch not synced", FileOp::Sync, TemporaryOf(out), EIO,
         error("Can't write the patch file (" + out + ".part-N): Input/output error"), false},
        {"patch not closed", FileOp::Close, TemporaryOf(out), EIO,
         error("Can't write the patch file (" + out + ".part-N): Input/output error"), false},
        {"patch not renamed", FileOp::Rename, Named(out), EXDEV,
         error("Can't put the patch file in place (" + out + "): Invalid cross-device link"), false},
        {"folder not synced", FileOp::SyncFolder, Named(out), EIO,
         error("Can't put the patch file in place (" + out + "): Input/output error"), true},
    };
    for (const auto& c : cases) {
        MemoryFiles memory({{a, original}, {b, patched}, {diz, Text("a text")}, {out, old}});
        FaultyFiles files(memory);
        files.Fail(c.op, c.file, c.error, 0);
        const Said said = RunCli({"make", "-q", "--diz", diz, a, b, "-o", out}, files);
        EXPECT_EQ(said.status, 1) << c.name;
        EXPECT_EQ(Plain(said.err), c.err) << c.name;
        const FileTree left = memory.Files();
        EXPECT_FALSE(AnyTemporary(left)) << c.name;
        EXPECT_TRUE(left.at(a) == original && left.at(b) == patched) << c.name;
        EXPECT_EQ(left.at(out) != old, c.replaced) << c.name;
        // Whatever stands under the patch's name is a whole patch: the old one or the new.
        if (c.replaced) {
            memory.Put("d/c.bin", original);
            EXPECT_EQ(RunCli({"apply", "-q", out, "d/c.bin"}, memory).status, 0) << c.name;
            EXPECT_TRUE(memory.Get("d/c.bin") == patched) << c.name;
        }
    }
}

// merge: the one-file image first, then its sheet; each through a temporary
// file, so that a name holds the whole file or nothing new.
TEST_F(WriterFaults, Merge)
{
    const CueDump dump = GameDump();
    const std::string track = dump.FileIn("/d", 1);
    const std::string bin = "/o/m.bin";
    const std::string cue = "/o/m.cue";
    const auto error = [](const std::string& text) { return "Error: " + text + "\n"; };
    const struct {
        const char* name;
        FileOp op;
        FileMatch file;
        int error;
        std::string err;
        bool binPlaced;
        bool cuePlaced;
    } cases[] = {
        {"track unread", FileOp::Read, Named(track), EIO,
         error("Can't read the track file (" + track + "): Input/output error."), false, false},
        {"image not made", FileOp::Create, TemporaryOf(bin), EACCES,
         error("Can't create the file (" + bin + "): Permission denied."), false, false},
        {"image not written", FileOp::Write, TemporaryOf(bin), ENOSPC,
         error("Can't write the file (" + bin + ".part-N): No space left on device."), false, false},
        {"image not synced", FileOp::Sync, TemporaryOf(bin), EIO,
         error("Can't write the file (" + bin + ".part-N): Input/output error."), false, false},
        {"image not renamed", FileOp::Rename, Named(bin), EXDEV,
         error("Can't put the file in place (" + bin + "): Invalid cross-device link."), false, false},
        {"image's folder not synced", FileOp::SyncFolder, Named(bin), EIO,
         error("Can't put the file in place (" + bin + "): Input/output error."), true, false},
        {"sheet not made", FileOp::Create, TemporaryOf(cue), EACCES,
         error("Can't create the file (" + cue + "): Permission denied."), true, false},
        {"sheet not synced", FileOp::Sync, TemporaryOf(cue), EIO,
         error("Can't write the file (" + cue + ".part-N): Input/output error."), true, false},
        {"sheet not renamed", FileOp::Rename, Named(cue), EXDEV,
         error("Can't put the file in place (" + cue + "): Invalid cross-device link."), true, false},
    };
    for (const auto& c : cases) {
        MemoryFiles memory(dump.Tree("/d"));
        memory.MakeFolder("/o");
        FaultyFiles files(memory);
        files.Fail(c.op, c.file, c.error, 0);
        const Said said = RunCli({"merge", "-q", dump.SheetIn("/d"), "-o", bin}, files);
        EXPECT_EQ(said.status, 1) << c.name;
        EXPECT_EQ(Plain(said.err), c.err) << c.name;
        const FileTree left = memory.Files();
        EXPECT_FALSE(AnyTemporary(left)) << c.name;
        for (const auto& [path, bytes] : dump.Tree("/d")) EXPECT_TRUE(left.at(path) == bytes) << c.name << ": " << path;
        EXPECT_EQ(left.count(bin), c.binPlaced ? 1u : 0u) << c.name;
        if (c.binPlaced) {
            EXPECT_TRUE(left.at(bin) == dump.Merged()) << c.name;
        }
        EXPECT_EQ(left.count(cue), c.cuePlaced ? 1u : 0u) << c.name;
    }
}

}  // namespace
