// Checking a patch against an image without writing: the validations, the
// record walk, and how far the image holds the patched or original bytes.
#include "kdx/Image.h"
#include "kdx/ImageCheck.h"
#include "tests/kdx/KdxTest.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

class ImageCheck : public ::testing::Test {
protected:
    kdx::ImageCheckResult Check(const PatchLayout& layout, const Bytes& image, Bytes patchBytes = {})
    {
        if (patchBytes.empty()) patchBytes = BuildPatch(layout);
        WriteFile(dir.File("p.kdx"), patchBytes);
        WriteFile(dir.File("image.bin"), image);
        kdx::File patch;
        kdx::Image img;
        EXPECT_TRUE(kdx::OpenReadOnly(patch, dir.File("p.kdx")));
        EXPECT_TRUE(img.Open(dir.File("image.bin"), false).ok());
        const kdx::ImageCheckResult r = kdx::CheckImage(kdxtest::Read(patch, dir.File("p.kdx")), patch, img);
        // Checking writes nothing (read back once closed: the handle shares nothing).
        img.Close();
        EXPECT_EQ(ReadFile(dir.File("image.bin")), image);
        return r;
    }

    TempDir dir;
};

constexpr std::int64_t kFar = (1 << 20) + 5000;  // beyond the first read buffer

PatchLayout UndoPatch()
{
    PatchLayout layout;
    layout.version = 3;
    layout.undoFlag = 1;
    layout.records = {{10, {1, 2, 3}, {10, 11, 12}}, {kFar, {4, 5}, {20, 21}}, {5, {9}, {5}}};
    return layout;
}

Bytes OriginalImage()
{
    Bytes image(kFar + 100, 0);
    image[5] = 5;
    image[10] = 10, image[11] = 11, image[12] = 12;
    image[kFar] = 20, image[kFar + 1] = 21;
    return image;
}

TEST_F(ImageCheck, TellsHowManyRecordsTheImageHoldsPatchedOrOriginal)
{
    Bytes image = OriginalImage();
    kdx::ImageCheckResult r = Check(UndoPatch(), image);
    EXPECT_TRUE(r.Passed());
    ASSERT_TRUE(r.stateKnown);
    EXPECT_EQ(r.records, 3);
    EXPECT_EQ(r.patchedRecords, 0);
    EXPECT_TRUE(r.undoChecked);
    EXPECT_EQ(r.originalRecords, 3);

    image[kFar] = 4, image[kFar + 1] = 5;
    r = Check(UndoPatch(), image);
    EXPECT_EQ(r.patchedRecords, 1);
    EXPECT_EQ(r.originalRecords, 2);

    image[10] = 1, image[11] = 2, image[12] = 3, image[5] = 9;
    r = Check(UndoPatch(), image);
    EXPECT_EQ(r.patchedRecords, 3);
    EXPECT_EQ(r.originalRecords, 0);
}

TEST_F(ImageCheck, RecordsAcrossTheReadBufferAreComparedWhole)
{
    const std::int64_t edge = (1 << 20) - 2;
    PatchLayout layout;
    layout.version = 1;
    layout.records = {{0, {1}, {}}, {edge, {7, 7, 7, 7, 7}, {}}};
    Bytes image((2 << 20), 0);
    image[0] = 1;
    std::fill(image.begin() + edge, image.begin() + edge + 5, 7);
    EXPECT_EQ(Check(layout, image).patchedRecords, 2);
    image[edge + 4] = 0;
    EXPECT_EQ(Check(layout, image).patchedRecords, 1);
}

TEST_F(ImageCheck, PastTheImagesEndOnlyZeroUndoBytesAreHeld)
{
    PatchLayout layout;
    layout.version = 3;
    layout.undoFlag = 1;
    layout.records = {{8, {1, 2, 3, 4}, {0, 0, 0, 0}}, {20, {5}, {6}}, {30, {0}, {0}}};
    const kdx::ImageCheckResult r = Check(layout, Bytes(10, 0));
    EXPECT_EQ(r.patchedRecords, 0);   // the image lacks the patched bytes, zero or not
    EXPECT_EQ(r.originalRecords, 2);  // a grown image holds zeros there after an undo
}

TEST_F(ImageCheck, Version2ChecksSizeAndBlock)
{
    PatchLayout layout;
    layout.version = 2;
    layout.block = Noise(1024, 4);
    Bytes image(40000, 0);
    std::copy(layout.block.begin(), layout.block.end(), image.begin() + 37664);
    layout.imageSize = 40000;
    layout.records = {{0, {1}, {}}};

    kdx::ImageCheckResult r = Check(layout, image);
    EXPECT_TRUE(r.sizeChecked && r.sizeMatches);
    EXPECT_EQ(r.block, kdx::BlockVerdict::Passed);
    EXPECT_EQ(r.blockPosition, 37664);
    EXPECT_TRUE(r.Passed());

    layout.imageSize = 40001;
    r = Check(layout, image);
    EXPECT_FALSE(r.sizeMatches);
    EXPECT_EQ(r.expectedSize, 40001u);
    EXPECT_EQ(r.imageLength, 40000);
    EXPECT_FALSE(r.Passed());

    layout.imageSize = 40000;
    image[37664 + 1023] ^= 1;
    r = Check(layout, image);
    EXPECT_EQ(r.block, kdx::BlockVerdict::Differs);
    EXPECT_FALSE(r.Passed());

    layout.imageSize = 38687;
    image.resize(38687);
    r = Check(layout, image);
    EXPECT_EQ(r.block, kdx::BlockVerdict::ImageTooShort);
    EXPECT_FALSE(r.Passed());
}

TEST_F(ImageCheck, VersionsWithoutABlockPassWithoutOne)
{
    PatchLayout layout;
    layout.records = {{0, {1}, {}}};
    EXPECT_EQ(Check(layout, Bytes(4, 0)).block, kdx::BlockVerdict::NoneInVersion);
    layout.version = 3;
    const kdx::ImageCheckResult r = Check(layout, Bytes(4, 0));
    EXPECT_EQ(r.block, kdx::BlockVerdict::NotInPatch);
    EXPECT_FALSE(r.undoChecked);
    EXPECT_TRUE(r.Passed());
}

TEST_F(ImageCheck, UnsoundRecordAreasFailAndLeaveTheStateUntold)
{
    PatchLayout layout;
    layout.version = 3;
    layout.records = {{0, {1}, {}}, {-4, {2}, {}}, {9, {3}, {}}};
    kdx::ImageCheckResult r = Check(layout, Bytes(16, 0));
    EXPECT_EQ(r.walk.verdict, kdx::WalkVerdict::NegativeOffset);
    EXPECT_EQ(r.walk.records, 1);
    EXPECT_FALSE(r.stateKnown);
    EXPECT_FALSE(r.Passed());

    layout.records = {{0, {1, 2}, {}}};
    Bytes cut = BuildPatch(layout);
    cut.pop_back();
    r = Check(layout, Bytes(16, 0), cut);
    EXPECT_EQ(r.walk.verdict, kdx::WalkVerdict::Damaged);
    EXPECT_FALSE(r.Passed());

    layout.records.clear();
    r = Check(layout, Bytes(16, 0));
    EXPECT_FALSE(r.walked);
    EXPECT_EQ(r.patchDataLength, 0);
    EXPECT_FALSE(r.Passed());
}

}  // namespace
