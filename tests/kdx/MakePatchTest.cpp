// Make and the patch writer: the patches read back and applied by the
// library's own reader, round trips for every version and option, random
// image pairs, and every refusal with nothing left behind.
#include "commands/InfoLines.h"
#include "commands/ResultTexts.h"
#include "kdx/Image.h"
#include "kdx/MakePatch.h"
#include "kdx/PatchOutput.h"
#include "kdx/RecordReader.h"
#include "kdx/Validate.h"
#include "tests/kdx/KdxTest.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <sys/resource.h>
#include <unistd.h>

using namespace testsupport;

namespace {

class MakePatch : public ::testing::Test {
protected:
    kdx::MakeOptions Options(int version = 3) const
    {
        kdx::MakeOptions o;
        o.original = dir.File("original.bin");
        o.modified = dir.File("modified.bin");
        o.patch = dir.File("out.kdx");
        o.version = version;
        return o;
    }

    kdx::MakeResult Make(const Bytes& original, const Bytes& modified, const kdx::MakeOptions& o)
    {
        WriteFile(o.original, original);
        WriteFile(o.modified, modified);
        return kdx::MakePatch(o, steps, kdx::SystemFiles());
    }

    // Reads the written patch as a load does.
    kdx::Patch Load()
    {
        kdx::File patch;
        EXPECT_TRUE(kdx::OpenReadOnly(patch, dir.File("out.kdx")));
        return kdxtest::Read(patch, dir.File("out.kdx"));
    }

    // Applies the written patch (or its undo data) to image; the image afterwards.
    Bytes Apply(const Bytes& image, bool undo = false)
    {
        const kdx::Patch unit = Load();
        WriteFile(dir.File("target.bin"), image);
        kdx::File patch;
        kdx::Image target;
        EXPECT_TRUE(kdx::OpenReadOnly(patch, dir.File("out.kdx")));
        EXPECT_TRUE(target.Open(dir.File("target.bin"), true).ok());
        EXPECT_TRUE(kdx::ApplyPatch(unit, patch, target, unit.Writes(undo), steps).Written());
        EXPECT_TRUE(target.Close());
        return ReadFile(dir.File("target.bin"));
    }

    std::set<std::string> Files() const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            names.insert(entry.path().filename().string());
        return names;
    }

    TempDir dir;
    kdxtest::Steps steps;
};

Bytes Changed(Bytes image)
{
    image[5] ^= 0xFF;
    for (std::size_t i = 1000; i < 1600; ++i) image[i] ^= 0x5A;  // a run longer than two records
    for (std::size_t i = 3000; i < 3030; i += 4) image[i] ^= 1;  // changes with small gaps
    image[37700] ^= 0x80;                                         // inside the check block
    return image;
}

struct Variant {
    const char* name;
    int version;
    bool undo = false, blockCheck = false, gi = false, diz = false;
};

class RoundTrip : public MakePatch, public ::testing::WithParamInterface<Variant> {};

INSTANTIATE_TEST_SUITE_P(Options, RoundTrip,
                         ::testing::Values(Variant{"V1", 1}, Variant{"V2", 2}, Variant{"V2Diz", 2, false, false, false, true},
                                           Variant{"V3", 3}, Variant{"V3Undo", 3, true},
                                           Variant{"V3Block", 3, false, true},
                                           Variant{"V3BlockGi", 3, false, true, true},
                                           Variant{"V3All", 3, true, true, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(RoundTrip, ApplyMakesTheModifiedImageAndUndoTheOriginal)
{
    const Variant v = GetParam();
    kdx::MakeOptions o = Options(v.version);
    o.undo = v.undo;
    o.blockCheck = v.blockCheck;
    o.giImage = v.gi;
    o.description = "Round trip";
    if (v.diz) {
        o.dizPath = dir.File("file_id.diz");
        WriteFile(*o.dizPath, Text("Made by tests\r\n"));
    }
    const Bytes original = Noise(70000, 7);
    for (const std::size_t growth : {0u, 300u}) {
        Bytes modified = Changed(original);
        const Bytes tail = Noise(growth, 9);
        modified.insert(modified.end(), tail.begin(), tail.end());
        const kdx::MakeResult r = Make(original, modified, o);
        ASSERT_TRUE(r.ok()) << commands::MakeErrorText(r);
        EXPECT_EQ(r.patchLength, static_cast<std::int64_t>(ReadFile(o.patch).size()));
        EXPECT_EQ(Apply(original), modified);
        if (v.undo) {
            Bytes expected = original;
            expected.resize(modified.size(), 0);  // a patch cannot shrink the grown image again
            EXPECT_EQ(Apply(modified, true), expected);
        }
        const kdx::Patch loaded = Load();
        EXPECT_EQ(loaded.patchDataLength, r.patchDataLength);
        EXPECT_EQ(loaded.fileLength, r.patchLength);
        EXPECT_EQ(std::string(loaded.header.begin() + 3, loaded.header.begin() + 5),
                  std::to_string(v.version) + "0");
        EXPECT_EQ(std::string(loaded.header.begin() + 6, loaded.header.begin() + 56),
                  std::string("Round trip") + std::string(40, '\0'));
    }
}

TEST_F(MakePatch, TrailersKeepTheirArithmeticVersion2)
{
    kdx::MakeOptions o = Options(2);
    o.dizPath = dir.File("d.diz");
    WriteFile(*o.dizPath, Text("eleven byte"));
    const Bytes original = Noise(40000, 1);
    const kdx::MakeResult r = Make(original, Changed(original), o);
    ASSERT_TRUE(r.ok()) << commands::MakeErrorText(r);
    const kdx::Patch unit = Load();
    EXPECT_EQ(unit.fileLength - unit.patchDataLength, 11 + 1122);
    const commands::InfoLines lines = commands::BuildInfoLines(unit);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[4], "KDX Patchdata  : " + std::to_string(r.patchDataLength) + " Bytes");
    EXPECT_EQ(lines[5], "File_ID.diz    : Yes, showing ...");
    EXPECT_EQ(lines[7], "eleven byte");
    // The stored size and block are the original's.
    const Bytes patch = ReadFile(o.patch);
    EXPECT_EQ(patch[56] | patch[57] << 8 | patch[58] << 16 | patch[59] << 24, 40000);
    EXPECT_TRUE(std::equal(patch.begin() + 60, patch.begin() + 1084, original.begin() + 37664));
    EXPECT_EQ(std::string(patch.end() - 24, patch.end() - 4), "byte@END_FILE_ID.DIZ");
}

TEST_F(MakePatch, TrailersKeepTheirArithmeticVersion3)
{
    kdx::MakeOptions o = Options(3);
    o.dizPath = dir.File("d.diz");
    WriteFile(*o.dizPath, Text("ten bytes!"));
    const Bytes original = Noise(40000, 2);
    ASSERT_TRUE(Make(original, Changed(original), o).ok());
    const kdx::Patch unit = Load();
    EXPECT_EQ(unit.fileLength - Load().headerLength - unit.patchDataLength, 10 + 36);
    EXPECT_EQ(Load().headerLength, 60);
    const commands::InfoLines lines = commands::BuildInfoLines(unit);
    EXPECT_EQ(lines[3], "Undo Data      : Nope");
    EXPECT_EQ(lines[4], "Blockcheck     : Disabled  ");
    EXPECT_EQ(lines.back(), "ten bytes!");
}

TEST_F(MakePatch, TheBlockComesFromWhereTheImageTypeSaysVersion3)
{
    const Bytes original = Noise(40000, 3);
    for (const bool gi : {false, true}) {
        kdx::MakeOptions o = Options(3);
        o.blockCheck = true;
        o.giImage = gi;
        ASSERT_TRUE(Make(original, Changed(original), o).ok());
        const Bytes patch = ReadFile(o.patch);
        EXPECT_EQ(patch[56], gi ? 1 : 0);
        EXPECT_EQ(patch[57], 1);
        const std::size_t at = gi ? 32928 : 37664;
        EXPECT_TRUE(std::equal(patch.begin() + 60, patch.begin() + 1084, original.begin() + at));
        Load();
        EXPECT_EQ(Load().headerLength, 1084);
        kdx::Image image;
        ASSERT_TRUE(image.Open(o.original, false).ok());
        EXPECT_TRUE(kdx::ValidateImage(Load(), image));
    }
}

TEST_F(MakePatch, RecordsThatEndLikeATrailerMarkGetAnEmptyRecordAfterThem)
{
    // A patch without trailer must never read as one with a trailer.
    for (const int version : {2, 3}) {
        const Bytes original(40000, 0);
        Bytes modified = original;
        const std::string tail = version == 2 ? "DIZabcd" : "DIZab";  // the tag's place from the end
        std::copy(tail.begin(), tail.end(), modified.begin() + 39000);
        const kdx::MakeResult r = Make(original, modified, Options(version));
        ASSERT_TRUE(r.ok()) << commands::MakeErrorText(r);
        EXPECT_EQ(r.records, 2);
        const commands::InfoLines lines = commands::BuildInfoLines(Load());
        EXPECT_EQ(lines.back(), "File_ID.diz    : Nope");
        EXPECT_EQ(Apply(original), modified);
    }
}

TEST_F(MakePatch, AGrownImageWritesItsLastByteEvenWhenZero)
{
    const Bytes original = Noise(100, 4);
    Bytes modified = original;
    modified.resize(5000, 0);
    const kdx::MakeResult r = Make(original, modified, Options(1));
    ASSERT_TRUE(r.ok()) << commands::MakeErrorText(r);
    EXPECT_EQ(r.records, 1);
    EXPECT_EQ(r.patchDataLength, 5 + 1);
    EXPECT_EQ(Apply(original), modified);
}

// Every record lies where the images differ, no record could have been
// merged with the next more cheaply, and none exceeds 255 bytes.
void ExpectTightRecords(const std::string& patchPath, const kdx::Patch& unit, const Bytes& original,
                        const Bytes& modified, int version, bool undo)
{
    kdx::File patch;
    ASSERT_TRUE(kdx::OpenReadOnly(patch, patchPath));
    kdx::RecordReader reader(patch, unit.Records(undo));
    kdx::Record record;
    const auto size = static_cast<std::int64_t>(modified.size());
    const bool grown = modified.size() > original.size();
    const auto differs = [&](std::int64_t at) {
        const std::uint8_t before = at < static_cast<std::int64_t>(original.size()) ? original[at] : 0;
        return before != modified[at] || (grown && at + 1 == size);
    };
    const std::int64_t head = version == 3 ? 9 : 5;
    const std::int64_t perByte = undo ? 2 : 1;
    std::int64_t lastEnd = -1;
    std::int64_t lastCount = 0;
    while (reader.Next(record) == kdx::RecordReader::Status::Record) {
        if (record.count == 0) continue;  // the spacer after a trailer-like ending
        ASSERT_LE(record.count, 255u);
        ASSERT_TRUE(differs(record.offset));
        ASSERT_TRUE(differs(record.offset + record.count - 1));
        if (lastEnd >= 0) {
            const std::int64_t gap = record.offset - lastEnd;
            ASSERT_GE(gap, 0);
            ASSERT_TRUE(perByte * gap >= head || lastCount + gap >= 255) << "mergeable at " << record.offset;
        }
        lastEnd = record.offset + record.count;
        lastCount = record.count;
    }
}

TEST_F(MakePatch, RandomImagePairsRoundTrip)
{
    std::mt19937 rng(6061u);
    for (int round = 0; round < 60; ++round) {
        const int version = 1 + round % 3;
        const bool undo = version == 3 && rng() % 2 == 0;
        // Now and then an image that spans several read buffers.
        std::size_t size = round % 20 == 7 ? (2u << 20) + rng() % 5000 : rng() % 20000;
        if (version == 2) size += 38688;  // the block a version 2.0 patch stores
        const Bytes original = Noise(size, static_cast<std::uint32_t>(rng()));
        Bytes modified = original;
        const double density = std::array<double, 4>{0.0005, 0.02, 0.3, 1.0}[rng() % 4];
        std::bernoulli_distribution change(density);
        for (std::size_t i = 0; i < modified.size(); ++i)
            if (change(rng)) modified[i] = static_cast<std::uint8_t>(rng());
        if (rng() % 3 == 0) {
            const std::size_t growth = 1 + rng() % 700;
            const bool zeros = rng() % 2 == 0;
            for (std::size_t i = 0; i < growth; ++i) modified.push_back(zeros ? 0 : static_cast<std::uint8_t>(rng()));
        }
        kdx::MakeOptions o = Options(version);
        o.undo = undo;
        const kdx::MakeResult r = Make(original, modified, o);
        if (modified == original) {
            ASSERT_FALSE(r.ok());
            continue;
        }
        ASSERT_TRUE(r.ok()) << "round " << round << ": " << commands::MakeErrorText(r);
        ASSERT_EQ(Apply(original), modified) << "round " << round;
        ExpectTightRecords(o.patch, Load(), original, modified, version, undo);
        if (undo) {
            Bytes expected = original;
            expected.resize(modified.size(), 0);
            ASSERT_EQ(Apply(modified, true), expected) << "round " << round;
        }
    }
}

struct Refusal {
    const char* name;
    std::function<void(kdx::MakeOptions&, Bytes& original, Bytes& modified, const TempDir&)> setup;
    std::string message;  // {dir} stands for the folder
};

TEST_F(MakePatch, RefusalsLeaveNothingBehind)
{
    const std::string d = dir.Path().string();
    const std::vector<Refusal> refusals = {
        {"shorter", [](auto&, Bytes&, Bytes& m, auto&) { m.pop_back(); },
         "The modified image is shorter than the original image; a patch cannot make an image shorter."},
        {"identical", [](auto&, Bytes&, Bytes& m, auto&) { m = Noise(40000, 1); },
         "The images are identical, there is nothing to patch."},
        {"same file", [](auto& o, Bytes&, Bytes&, auto&) { o.modified = o.original; },
         "The images are identical, there is nothing to patch."},
        {"undo v2", [](auto& o, Bytes&, Bytes&, auto&) { o.version = 2; o.undo = true; },
         "Undo data needs a version 3.0 patch."},
        {"block v1", [](auto& o, Bytes&, Bytes&, auto&) { o.version = 1; o.blockCheck = true; },
         "A version 1.0 patch has no block check."},
        {"gi v2", [](auto& o, Bytes&, Bytes&, auto&) { o.version = 2; o.giImage = true; },
         "The image type (GI image) needs a version 3.0 patch."},
        {"description", [](auto& o, Bytes&, Bytes&, auto&) { o.description = std::string(51, 'x'); },
         "The description is 51 bytes long; a patch holds at most 50."},
        {"diz v1", [](auto& o, Bytes&, Bytes&, auto& t) { o.version = 1; o.dizPath = t.File("d.diz"); },
         "A version 1.0 patch cannot carry a FILE_ID.DIZ text."},
        {"diz long",
         [](auto& o, Bytes&, Bytes&, auto& t) { o.dizPath = t.File("d.diz"); WriteFile(*o.dizPath, Bytes(3073, 'x')); },
         "The FILE_ID.DIZ text is 3073 bytes long; at most 3072 are allowed (readers show no more)."},
        {"diz missing", [](auto& o, Bytes&, Bytes&, auto& t) { o.dizPath = t.File("none.diz"); },
         "Can't open the FILE_ID.DIZ file (" + d + "/none.diz): No such file or directory"},
        {"v2 short", [](auto& o, Bytes& orig, Bytes& m, auto&) { o.version = 2; orig.resize(38687); m.resize(38687); },
         "The original image is too short for the block check: it needs at least 38688 Bytes (1024 Bytes at 37664)."},
        {"gi short",
         [](auto& o, Bytes& orig, Bytes& m, auto&) { o.blockCheck = o.giImage = true; orig.resize(33951); m.resize(33951); },
         "The original image is too short for the block check: it needs at least 33952 Bytes (1024 Bytes at 32928)."},
        {"missing original", [](auto& o, Bytes&, Bytes&, auto& t) { o.original = t.File("none.bin"); },
         "Can't open the original image (" + d + "/none.bin): No such file or directory"},
        {"modified a folder",
         [](auto& o, Bytes&, Bytes&, auto& t) {
             o.modified = t.File("folder");
             std::filesystem::create_directory(o.modified);
         },
         "Can't open the modified image (" + d + "/folder): Is a directory"},
        {"over an image", [](auto& o, Bytes&, Bytes&, auto&) { o.patch = o.original; },
         "The patch would replace one of the images (" + d + "/original.bin)."},
        {"no folder", [](auto& o, Bytes&, Bytes&, auto& t) { o.patch = t.File("no/out.kdx"); },
         "Can't create the patch file (" + d + "/no/out.kdx): No such file or directory"},
    };
    for (const Refusal& refusal : refusals) {
        TempDir fresh;
        kdx::MakeOptions o;
        o.original = fresh.File("original.bin");
        o.modified = fresh.File("modified.bin");
        o.patch = fresh.File("out.kdx");
        Bytes original = Noise(40000, 1);
        Bytes modified = Changed(original);
        refusal.setup(o, original, modified, fresh);
        WriteFile(fresh.File("original.bin"), original);
        WriteFile(fresh.File("modified.bin"), modified);
        const std::size_t before = std::distance(std::filesystem::directory_iterator(fresh.Path()), {});
        const kdx::MakeResult r = kdx::MakePatch(o, steps, kdx::SystemFiles());
        EXPECT_FALSE(r.ok()) << refusal.name;
        std::string expected = refusal.message;
        if (const auto at = expected.find(d); at != std::string::npos) expected.replace(at, d.size(), fresh.Path().string());
        EXPECT_EQ(commands::MakeErrorText(r), expected) << refusal.name;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(fresh.Path()), {}), before) << refusal.name;
    }
}

TEST_F(MakePatch, ChangesBeyond4GiBNeedVersion3)
{
    // Sparse images: nothing of them is read before the refusal.
    WriteFile(dir.File("original.bin"), Bytes(10, 0));
    WriteFile(dir.File("modified.bin"), Bytes{});
    ASSERT_EQ(truncate(dir.File("modified.bin").c_str(), (off_t{1} << 32) + 1), 0);
    for (const int version : {1, 2}) {
        const kdx::MakeResult r = kdx::MakePatch(Options(version), steps, kdx::SystemFiles());
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(commands::MakeErrorText(r), "The images differ at or beyond 4 GiB (offset 4294967296); version " +
                               std::to_string(version) +
                               ".0 patches reach only the first 4 GiB of an image, version 3.0 is needed.");
    }
    ASSERT_EQ(truncate(dir.File("original.bin").c_str(), off_t{1} << 32), 0);
    ASSERT_EQ(truncate(dir.File("modified.bin").c_str(), off_t{1} << 32), 0);
    const kdx::MakeResult r = kdx::MakePatch(Options(2), steps, kdx::SystemFiles());
    EXPECT_EQ(commands::MakeErrorText(r),
              "The original image is 4 GiB or larger; a version 2.0 patch cannot store its size, version 3.0 is needed.");
    EXPECT_EQ(Files(), (std::set<std::string>{"original.bin", "modified.bin"}));
}

TEST_F(MakePatch, AFailedWriteKeepsTheOldPatchAndRemovesTheTemporaryFile)
{
    WriteFile(dir.File("out.kdx"), Text("the old patch"));
    const Bytes original = Noise(200000, 5);
    Bytes modified = original;
    for (std::size_t i = 0; i < modified.size(); i += 2) modified[i] ^= 0xFF;

    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    WriteFile(dir.File("original.bin"), original);
    WriteFile(dir.File("modified.bin"), modified);
    rlimit small = old;
    small.rlim_cur = 65536;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const kdx::MakeResult r = kdx::MakePatch(Options(3), steps, kdx::SystemFiles());
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old), 0);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(commands::MakeErrorText(r).rfind("Can't write the patch file (" + dir.File("out.kdx") + ".part-", 0), 0u) << commands::MakeErrorText(r);
    EXPECT_NE(commands::MakeErrorText(r).find("File too large"), std::string::npos);
    EXPECT_EQ(ReadFile(dir.File("out.kdx")), Text("the old patch"));
    EXPECT_EQ(Files(), (std::set<std::string>{"original.bin", "modified.bin", "out.kdx"}));

    // Without the limit the new patch takes the old one's place.
    ASSERT_TRUE(kdx::MakePatch(Options(3), steps, kdx::SystemFiles()).ok());
    EXPECT_EQ(Apply(original), modified);
    EXPECT_EQ(Files(), (std::set<std::string>{"original.bin", "modified.bin", "out.kdx", "target.bin"}));
}

TEST_F(MakePatch, PumpsWhileItCompares)
{
    const Bytes original = Noise(300000, 6);
    ASSERT_TRUE(Make(original, Changed(original), Options(3)).ok());
    EXPECT_GE(steps.steps, 4);  // one per 64 KiB compared
}

TEST(PatchOutput, KnowsItsLastBytesAcrossAFlushAndCommitsWhole)
{
    TempDir dir;
    kdx::PatchOutput out(dir.File("p.kdx"), kdx::SystemFiles());
    ASSERT_TRUE(out.Begin());
    // The buffer is flushed when the next byte finds it full: three bytes stay in it.
    const Bytes bytes = Noise(kdx::PatchOutput::kBufferSize + 3, 8);
    ASSERT_TRUE(out.Append(bytes.data(), bytes.size()));
    for (std::size_t back = 1; back <= 8; ++back) EXPECT_EQ(out.FromEnd(back), bytes[bytes.size() - back]) << back;
    EXPECT_FALSE(std::filesystem::exists(dir.File("p.kdx")));
    ASSERT_TRUE(out.Commit());
    EXPECT_EQ(ReadFile(dir.File("p.kdx")), bytes);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

}  // namespace
