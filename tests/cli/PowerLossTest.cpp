// A power loss at any point of apply --backup, undo --backup, sectors --fix
// and make: every state the file system may be left in (CrashStates.h) is
// checked for what docs/guarantees.md promises, and once the command has
// said it succeeded, no state but its result is left.
#include "kdx/CdSector.h"
#include "tests/cli/InProcess.h"
#include "tests/support/CrashStates.h"
#include "tests/support/PatchBuilder.h"
#include "tests/support/RawSectors.h"

#include <gtest/gtest.h>

#include <iostream>

using namespace testsupport;
using clitest::kBackup;
using clitest::kImage;
using clitest::kPatch;
using clitest::RunCli;
using clitest::Said;

namespace {

// Runs the command on the files and hands check every state a power loss may
// leave; then checks that after its success only the result is left.
CrashCount EveryState(const FileTree& start, const std::vector<std::string>& args, const CrashOptions& options,
                      const std::function<void(const FileTree&, std::size_t)>& check)
{
    MemoryFiles files(start);
    const Said said = RunCli(args, files);
    EXPECT_EQ(said.status, 0) << said.err;
    const CrashCount count = ForEachCrashState(files, options, check);
    CrashOptions end = options;
    end.fromPoint = files.Record().size();
    std::vector<FileTree> last;
    ForEachCrashState(files, end, [&](const FileTree& state, std::size_t) { last.push_back(state); });
    EXPECT_EQ(last, std::vector<FileTree>{files.Files()}) << "success was said before the result was durable";
    std::cout << args[0] << ": " << count.tried << " crash states tried over " << count.points << " points, "
              << count.sampledPoints << " of them sampled\n";
    return count;
}

struct Scattered {
    Bytes original;
    Bytes patched;
    PatchLayout layout;
};

// Records of 3 bytes every stride bytes, each byte unlike the original's, with undo data.
Scattered ScatteredPatch(std::size_t length, std::size_t stride)
{
    Scattered s{Noise(length, 11), {}, {}};
    s.patched = s.original;
    s.layout.version = 3;
    s.layout.undoFlag = 1;
    for (std::size_t at = 50; at + 3 <= length; at += stride) {
        Rec r{static_cast<std::int64_t>(at), {}, {}};
        for (std::size_t i = 0; i < 3; ++i) {
            r.undo.push_back(s.original[at + i]);
            r.bytes.push_back(static_cast<std::uint8_t>(~s.original[at + i]));
            s.patched[at + i] = r.bytes.back();
        }
        s.layout.records.push_back(r);
    }
    return s;
}

// How many records hold their patched bytes in image.
std::size_t PatchedRecords(const PatchLayout& layout, const Bytes& image)
{
    std::size_t n = 0;
    for (const Rec& r : layout.records)
        n += std::equal(r.bytes.begin(), r.bytes.end(), image.begin() + r.offset) ? 1 : 0;
    return n;
}

std::string Line(const std::string& out, const std::string& label)
{
    const std::size_t at = out.find(label);
    return at == std::string::npos ? std::string() : out.substr(at, out.find('\n', at) - at);
}

// apply and undo with a backup: small records enumerated whole, many sampled.
TEST(PowerLoss, ApplyAndUndoWithABackupLeaveTheImageUntouchedOrABackupThatPutsItBack)
{
    CrashOptions sampled;
    sampled.enumerateUpTo = 256;
    sampled.samples = 16;
    const struct {
        const char* command;
        std::size_t length;
        std::size_t stride;
        CrashOptions options;
        std::size_t sampledPoints;  // points with more states than enumerateUpTo
    } cases[] = {{"apply", 5 * 4096, 4096, {}, 0}, {"undo", 5 * 4096, 4096, {}, 0}, {"apply", 40 * 4096, 1500, sampled, 32}};
    for (const auto& c : cases) {
        const Scattered s = ScatteredPatch(c.length, c.stride);
        const bool undo = std::string(c.command) == "undo";
        const Bytes& before = undo ? s.patched : s.original;
        const Bytes& after = undo ? s.original : s.patched;
        const std::size_t n = s.layout.records.size();
        const CrashCount count = EveryState(
            {{kImage, before}, {kPatch, BuildPatch(s.layout)}}, {c.command, "-q", "--yes", "--backup", kBackup, kPatch, kImage},
            c.options, [&](const FileTree& state, std::size_t point) {
                const Bytes& image = state.at(kImage);
                ASSERT_EQ(image.size(), before.size()) << point;
                if (state.count(kBackup) == 0) {
                    EXPECT_TRUE(image == before) << "written before its backup was durable, point " << point;
                    return;
                }
                // check tells how far the image got.
                const std::size_t patched = PatchedRecords(s.layout, image);
                MemoryFiles files(state);
                const std::string told = Line(RunCli({"check", kPatch, kImage}, files).out, "Image state");
                const std::string expected = patched == n   ? "patched"
                                             : patched == 0 ? "not patched"
                                                            : "partly patched (" + std::to_string(patched) + " of " +
                                                                  std::to_string(n) + " records)";
                EXPECT_EQ(told, "Image state    : " + expected) << point;
                // The backup puts the image back, and the command again finishes it.
                EXPECT_EQ(RunCli({"apply", "-q", kBackup, kImage}, files).status, 0) << point;
                EXPECT_TRUE(files.Get(kImage) == before) << "the backup did not put the image back, point " << point;
                EXPECT_EQ(RunCli({c.command, "-q", kPatch, kImage}, files).status, 0) << point;
                EXPECT_TRUE(files.Get(kImage) == after) << point;
            });
        EXPECT_GT(count.tried, 8u) << c.command;
        EXPECT_EQ(count.sampledPoints, c.sampledPoints) << c.command;
    }
}

// sectors --fix: a sector that was right is never touched, and the fix run
// again finishes the job from any state.
TEST(PowerLoss, SectorsFixLeavesRightSectorsAloneAndCanBeRunAgain)
{
    constexpr std::size_t kS = 2352;
    const Bytes clean = RawImage({RawKind::Mode1, RawKind::Mode2Form1, RawKind::Mode1, RawKind::Mode1, RawKind::Mode1,
                                  RawKind::Mode2Form1});
    Bytes wrong = clean;
    for (const std::size_t lba : {1, 3, 4}) wrong[lba * kS + 1000] ^= 0x10;
    // What a fix gives: the changed data stays, its EDC/ECC made right.
    Bytes fixed = wrong;
    for (const std::size_t lba : {1, 3, 4}) kdx::RepairSector(kdx::SectorBytes(fixed.data() + lba * kS, kS));
    const std::string disc = "d/disc.bin";
    EveryState({{disc, wrong}}, {"sectors", "--fix", "--yes", "-q", disc}, {}, [&](const FileTree& state, std::size_t point) {
        const Bytes& image = state.at(disc);
        ASSERT_EQ(image.size(), wrong.size()) << point;
        for (const std::size_t lba : {0, 2, 5})
            EXPECT_TRUE(std::equal(image.begin() + lba * kS, image.begin() + (lba + 1) * kS, wrong.begin() + lba * kS))
                << "sector " << lba << " touched, point " << point;
        MemoryFiles files(state);
        const Said again = RunCli({"sectors", "--fix", "--yes", "-q", disc}, files);
        EXPECT_EQ(again.status, 0) << point << again.err;
        EXPECT_TRUE(files.Get(disc) == fixed) << point;
    });
}

// apply --fix-sectors: the sectors the patch does not write into are never
// touched; once it has said it succeeded, the touched ones are right.
TEST(PowerLoss, FixSectorsTouchesOnlyTheSectorsThePatchWritesInto)
{
    constexpr std::size_t kS = 2352;
    Bytes before = RawImage({RawKind::Mode1, RawKind::Mode1, RawKind::Mode2Form1, RawKind::Mode1});
    before[3 * kS + 1000] ^= 0x10;  // wrong on purpose: left so
    PatchLayout layout;
    layout.version = 3;
    layout.records = {{100, {0xAA, 0xBB}, {}}, {2 * kS + 500, {0xCC}, {}}};
    const std::string disc = "d/disc.bin";
    EveryState({{disc, before}, {kPatch, BuildPatch(layout)}}, {"apply", "--fix-sectors", "--yes", "-q", kPatch, disc},
               {}, [&](const FileTree& state, std::size_t point) {
                   const Bytes& image = state.at(disc);
                   ASSERT_EQ(image.size(), before.size()) << point;
                   for (const std::size_t lba : {1, 3})
                       EXPECT_TRUE(std::equal(image.begin() + lba * kS, image.begin() + (lba + 1) * kS,
                                              before.begin() + lba * kS))
                           << "sector " << lba << " touched, point " << point;
               });
}

// make over an older patch: the name holds the old patch or the whole new one.
TEST(PowerLoss, MakeLeavesTheOldPatchOrTheWholeNewOne)
{
    const Scattered s = ScatteredPatch(6 * 4096, 700);
    const std::string out = "d/out.kdx";
    const Bytes old = Text("an older patch");
    for (const bool hadOne : {true, false}) {
        FileTree start = {{"d/a.bin", s.original}, {"d/b.bin", s.patched}};
        if (hadOne) start[out] = old;
        bool sawNew = false;
        EveryState(start, {"make", "-q", "d/a.bin", "d/b.bin", "-o", out}, {}, [&](const FileTree& state, std::size_t point) {
            if (state.count(out) == 0) {
                EXPECT_FALSE(hadOne) << point;
                return;
            }
            if (state.at(out) == old) return;
            MemoryFiles files(state);
            files.Put("d/c.bin", s.original);
            const Said applied = RunCli({"apply", "-q", out, "d/c.bin"}, files);
            EXPECT_EQ(applied.status, 0) << "a part of a patch under its name, point " << point << applied.err;
            EXPECT_TRUE(files.Get("d/c.bin") == s.patched) << point;
            sawNew = true;
        });
        EXPECT_TRUE(sawNew);
    }
}

}  // namespace

// apply --backup through a cue sheet: every track file untouched until the
// backup is durable; from any state the backup puts every track file back
// and the apply again finishes it; the sheet is never written.
TEST(PowerLoss, ApplyWithABackupThroughACueSheet)
{
    const std::vector<std::string> tracks = {"/d/Game (Track 1).bin", "/d/Game (Track 2).bin", "/d/Game (Track 3).bin"};
    const std::string sheet = "/d/Game.cue";
    const Bytes sheetText = Text("FILE \"Game (Track 1).bin\" BINARY\r\n  TRACK 01 MODE1/2352\r\n    INDEX 01 00:00:00\r\n"
                                 "FILE \"Game (Track 2).bin\" BINARY\r\n  TRACK 02 AUDIO\r\n    INDEX 01 00:00:00\r\n"
                                 "FILE \"Game (Track 3).bin\" BINARY\r\n  TRACK 03 AUDIO\r\n    INDEX 01 00:00:00\r\n");
    const std::size_t lengths[] = {4 * 2352, 2 * 2352, 3 * 2352};
    const Scattered s = ScatteredPatch(9 * 2352, 1700);
    FileTree start = {{sheet, sheetText}, {kPatch, BuildPatch(s.layout)}};
    std::size_t at = 0;
    for (std::size_t i = 0; i < tracks.size(); at += lengths[i], ++i)
        start[tracks[i]] = Bytes(s.original.begin() + static_cast<std::ptrdiff_t>(at),
                                 s.original.begin() + static_cast<std::ptrdiff_t>(at + lengths[i]));
    const auto range = [&](const FileTree& files) {
        Bytes merged;
        for (const std::string& t : tracks) merged.insert(merged.end(), files.at(t).begin(), files.at(t).end());
        return merged;
    };
    const CrashCount count = EveryState(
        start, {"apply", "-q", "--backup", kBackup, kPatch, sheet}, {}, [&](const FileTree& state, std::size_t point) {
            EXPECT_TRUE(state.at(sheet) == sheetText) << point;
            for (std::size_t i = 0; i < tracks.size(); ++i) ASSERT_EQ(state.at(tracks[i]).size(), lengths[i]) << point;
            if (state.count(kBackup) == 0) {
                EXPECT_TRUE(range(state) == s.original) << "written before its backup was durable, point " << point;
                return;
            }
            MemoryFiles files(state);
            EXPECT_EQ(RunCli({"apply", "-q", kBackup, sheet}, files).status, 0) << point;
            EXPECT_TRUE(range(files.Files()) == s.original) << "the backup did not put the track files back, point " << point;
            EXPECT_EQ(RunCli({"apply", "-q", kPatch, sheet}, files).status, 0) << point;
            EXPECT_TRUE(range(files.Files()) == s.patched) << point;
        });
    EXPECT_GT(count.tried, 8u);
}
