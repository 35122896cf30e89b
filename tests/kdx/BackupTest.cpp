// The backup patch written before an apply: its exact bytes, and its refusals.
#include "commands/BackupTexts.h"
#include "kdx/Backup.h"
#include "tests/kdx/KdxTest.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

class Backup : public ::testing::Test {
protected:
    kdx::BackupResult Write(const PatchLayout& layout, const Bytes& image, const std::string& backup,
                            bool undo = false)
    {
        WriteFile(dir.File("p.kdx"), BuildPatch(layout));
        WriteFile(dir.File("img.bin"), image);
        kdx::File patch;
        kdx::Image file;
        EXPECT_TRUE(kdx::OpenReadOnly(patch, dir.File("p.kdx")));
        EXPECT_TRUE(file.Open(dir.File("img.bin"), false).ok());
        const kdx::Patch loaded = kdxtest::Read(patch, dir.File("p.kdx"));
        return kdx::WriteBackup({backup, dir.File("img.bin")}, loaded, patch, file, loaded.Writes(undo));
    }
    static Bytes Slice(const Bytes& b, std::size_t at, std::size_t n) { return Bytes(b.begin() + at, b.begin() + at + n); }

    TempDir dir;
};

TEST_F(Backup, HoldsTheImagesBytesMergedAndSplitAsTheWriterDoes)
{
    PatchLayout layout;  // version 1.0: its backup is still a 3.0 patch
    layout.records = {{10, Bytes(3, 1), {}},   {15, Bytes(2, 1), {}},   {40, {}, {}},
                      {300, Bytes(255, 1), {}}, {555, Bytes(45, 1), {}}, {990, Bytes(20, 1), {}},
                      {12, Bytes(1, 1), {}}};
    const Bytes image = Noise(1000, 7);
    const kdx::BackupResult r = Write(layout, image, dir.File("b.kdx"));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.records, 5);
    EXPECT_EQ(r.imageLength, 1000);
    EXPECT_EQ(r.writeEnd, 1010);
    EXPECT_TRUE(r.Grows());

    Bytes tail = Slice(image, 990, 10);
    tail.resize(20, 0);
    PatchLayout expected;
    expected.version = 3;
    expected.description = "Backup of img.bin";
    // 10-13 and 15-17 share a record across a gap of two; 300-600 splits at
    // 255; 990-1010 with zeros past the end; 12 again on its own (out of order).
    expected.records = {{10, Slice(image, 10, 7), {}},
                        {300, Slice(image, 300, 255), {}},
                        {555, Slice(image, 555, 45), {}},
                        {990, tail, {}},
                        {12, Slice(image, 12, 1), {}}};
    EXPECT_EQ(ReadFile(dir.File("b.kdx")), BuildPatch(expected));
}

TEST_F(Backup, OfUndoDataOfNoPlaceAndOfATrailerLookalike)
{
    PatchLayout layout;
    layout.version = 3;
    layout.undoFlag = 1;
    layout.records = {{2, {9, 9}, {1, 1}}, {50, {9}, {1}}};
    const Bytes image = Noise(20, 3);
    ASSERT_TRUE(Write(layout, image, dir.File("b.kdx"), true).ok());
    PatchLayout expected;
    expected.version = 3;
    expected.description = "Backup of img.bin";
    expected.records = {{2, Slice(image, 2, 2), {}}, {50, {0}, {}}};
    EXPECT_EQ(ReadFile(dir.File("b.kdx")), BuildPatch(expected));

    // No place at all, and records that end as a trailer would ("DIZ" and
    // two bytes): an empty record follows, as the writer does.
    layout.records = {{5, {}, {}}};
    ASSERT_TRUE(Write(layout, image, dir.File("c.kdx")).ok());
    expected.records = {{0, {}, {}}};
    EXPECT_EQ(ReadFile(dir.File("c.kdx")), BuildPatch(expected));
    layout.records = {{0, Bytes(5, 1), Bytes(5, 1)}};
    ASSERT_TRUE(Write(layout, Text("DIZab"), dir.File("d.kdx")).ok());
    expected.records = {{0, Text("DIZab"), {}}, {0, {}, {}}};
    EXPECT_EQ(ReadFile(dir.File("d.kdx")), BuildPatch(expected));
}

TEST_F(Backup, RefusesTheImageThePatchAndAnUnwritablePlace)
{
    PatchLayout layout;
    layout.records = {{0, {1}, {}}};
    struct Case {
        std::string backup;
        kdx::BackupStatus status;
        std::string text;
    };
    const std::string missing = dir.File("no/b.kdx");
    const std::vector<Case> cases = {
        {dir.File("img.bin"), kdx::BackupStatus::SameAsImage,
         "The backup would replace the image (" + dir.File("img.bin") + "). Nothing was written to the image."},
        {dir.File("p.kdx"), kdx::BackupStatus::SameAsPatch,
         "The backup would replace the patch (" + dir.File("p.kdx") + "). Nothing was written to the image."},
        {dir.File(".") + "/p.kdx", kdx::BackupStatus::SameAsPatch,
         "The backup would replace the patch (" + dir.File(".") + "/p.kdx). Nothing was written to the image."},
        {missing, kdx::BackupStatus::CantCreate,
         "Can't write the backup (" + missing + "): No such file or directory. Nothing was written to the image."},
    };
    for (const Case& c : cases) {
        const kdx::BackupResult r = Write(layout, Bytes(4, 0), c.backup);
        EXPECT_EQ(r.status, c.status) << c.backup;
        EXPECT_EQ(commands::BackupErrorText(r), c.text);
    }
    EXPECT_EQ(ReadFile(dir.File("p.kdx")), BuildPatch(layout));
    EXPECT_EQ(ReadFile(dir.File("img.bin")), Bytes(4, 0));
}

TEST(BackupDescription, IsCutTo50Bytes)
{
    EXPECT_EQ(kdx::BackupDescription("/some/where/disc.iso"), "Backup of disc.iso");
    EXPECT_EQ(kdx::BackupDescription("/x/" + std::string(60, 'n')), "Backup of " + std::string(40, 'n'));
}

}  // namespace
