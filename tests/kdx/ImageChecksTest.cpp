// The checks made before writing: the version 2.0 image size and the block
// check of versions 2.0 and 3.0, and the version 3.0 undo round trip.
#include "kdx/Image.h"
#include "kdx/Validate.h"
#include "tests/kdx/KdxTest.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace testsupport;

namespace {

class ImageChecks : public ::testing::Test {
protected:
    void Load(const PatchLayout& layout)
    {
        WriteFile(dir.File("p.kdx"), BuildPatch(layout));
        kdx::File h;
        ASSERT_TRUE(kdx::OpenReadOnly(h, dir.File("p.kdx")));
        loaded = kdxtest::Read(h, "p.kdx");
    }
    kdx::ApplyResult Apply(kdx::File& patch, kdx::Image& img, bool undo)
    {
        return kdx::ApplyPatch(loaded, patch, img, loaded.Writes(undo), steps);
    }
    kdx::Image& Image(const Bytes& bytes)
    {
        image.Close();
        WriteFile(dir.File("i.bin"), bytes);
        EXPECT_TRUE(image.Open(dir.File("i.bin"), true).ok());
        return image;
    }
    TempDir dir;
    kdx::Image image;
    kdx::Patch loaded;
    kdxtest::Steps steps;
};

// An image holding block at position.
Bytes WithBlock(std::size_t size, std::int64_t position, const Bytes& block)
{
    Bytes image(size, 0x55);
    std::copy(block.begin(), block.end(), image.begin() + position);
    return image;
}

TEST_F(ImageChecks, Version2SizeMustMatchExactly)
{
    PatchLayout layout;
    layout.version = 2;
    layout.imageSize = 40000;
    Load(layout);
    EXPECT_TRUE(kdx::CheckImageSize(loaded, Image(Bytes(40000))));
    EXPECT_FALSE(kdx::CheckImageSize(loaded, Image(Bytes(39999))));
    EXPECT_FALSE(kdx::CheckImageSize(loaded, Image(Bytes(40001))));
}

TEST_F(ImageChecks, Version2SizeOf3GiBPasses)
{
    PatchLayout layout;
    layout.version = 2;
    layout.imageSize = 3u << 30;
    Load(layout);
    Image({});
    ASSERT_TRUE(image.SetLength(std::int64_t{3} << 30));  // sparse
    EXPECT_TRUE(kdx::CheckImageSize(loaded, image));
}

TEST_F(ImageChecks, BlockMustMatchEveryByteAtItsPosition)
{
    const Bytes block = Noise(1024, 3);
    PatchLayout v2;
    v2.version = 2;
    v2.block = block;
    PatchLayout gi;
    gi.version = 3;
    gi.blockCheckFlag = 1;
    gi.imageType = 1;
    gi.block = block;
    PatchLayout normal = gi;
    normal.imageType = 2;

    const struct {
        PatchLayout layout;
        std::int64_t position;
    } cases[] = {{v2, 37664}, {gi, 32928}, {normal, 37664}};
    for (const auto& c : cases) {
        const auto validate = [this](kdx::Image& img) { return kdx::ValidateImage(loaded, img); };
        Load(c.layout);
        const Bytes good = WithBlock(40000, c.position, block);
        EXPECT_TRUE(validate(Image(good))) << c.position;
        for (const std::int64_t at : {std::int64_t{0}, std::int64_t{1023}}) {
            Bytes bad = good;
            bad[c.position + at] ^= 1;
            EXPECT_FALSE(validate(Image(bad))) << c.position << " +" << at;
        }
        // The other position does not count.
        const std::int64_t other = c.position == 32928 ? 37664 : 32928;
        EXPECT_FALSE(validate(Image(WithBlock(40000, other, block)))) << c.position;
        // Too short to hold the whole block: asked, never passed.
        Bytes cut(good.begin(), good.begin() + c.position + 1023);
        EXPECT_FALSE(validate(Image(cut))) << c.position;
    }
}

TEST_F(ImageChecks, Version3WithoutTheFlagSetChecksNothing)
{
    for (const std::uint8_t flag : {0, 2}) {
        PatchLayout layout;
        layout.version = 3;
        layout.blockCheckFlag = flag;
        layout.block = Noise(1024, 1);
        Load(layout);
        EXPECT_TRUE(kdx::ValidateImage(loaded, Image(Bytes(10))));
    }
}

TEST_F(ImageChecks, UndoDataTakesThePatchBackOutByteForByte)
{
    const Bytes original = Noise(3000, 11);
    Bytes patched = original;
    PatchLayout layout;
    layout.version = 3;
    layout.undoFlag = 1;
    for (const std::int64_t at : {0, 250, 505, 2990}) {
        const Bytes bytes = Noise(at == 2990 ? 10 : 255, static_cast<std::uint32_t>(at));
        layout.records.push_back({at, bytes, Bytes(original.begin() + at, original.begin() + at + bytes.size())});
        std::copy(bytes.begin(), bytes.end(), patched.begin() + at);
    }
    layout.records.push_back({7, {}, {}});
    Load(layout);
    kdx::File patch;
    ASSERT_TRUE(kdx::OpenReadOnly(patch, dir.File("p.kdx")));
    ASSERT_TRUE(Apply(patch, Image(original), false).Written());
    image.Close();
    EXPECT_EQ(ReadFile(dir.File("i.bin")), patched);
    ASSERT_TRUE(image.Open(dir.File("i.bin"), true).ok());
    ASSERT_TRUE(Apply(patch, image, true).Written());
    image.Close();
    EXPECT_EQ(ReadFile(dir.File("i.bin")), original);
    EXPECT_EQ(steps.steps, 10);
}

TEST_F(ImageChecks, UndoFlagOtherThanOneReadsRecordsWithUndoBytes)
{
    PatchLayout layout;
    layout.version = 3;
    layout.undoFlag = 7;
    layout.records = {{0, {1, 2}, {8, 9}}, {2, {3}, {7}}};
    Load(layout);
    kdx::File patch;
    ASSERT_TRUE(kdx::OpenReadOnly(patch, dir.File("p.kdx")));
    ASSERT_TRUE(Apply(patch, Image(Bytes(3, 0)), false).Written());
    image.Close();
    EXPECT_EQ(ReadFile(dir.File("i.bin")), (Bytes{1, 2, 3}));
}

}  // namespace
