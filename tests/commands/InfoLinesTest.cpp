// What a read finds in each version and the information lines list.
#include "commands/InfoLines.h"
#include "kdx/Patch.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

// The patch of the last Load, under the path the window would have given.
kdx::Patch gLoaded;

void Load(const Bytes& patch, int version, const std::string& name = "fix.kdx")
{
    TempDir dir;
    const std::string path = dir.File(name);
    WriteFile(path, patch);
    kdx::File h;
    ASSERT_TRUE(kdx::OpenReadOnly(h, path));
    gLoaded = kdx::ReadPatch(h, "C:\\patches\\" + name, *kdx::LayoutForVersion(version));
}

commands::InfoLines Lines() { return commands::BuildInfoLines(gLoaded); }

std::string Padded(const std::string& s) { return s + std::string(50 - s.size(), '\0'); }

TEST(Version1Lines, ListsFiveLinesWithTheWholeDescription)
{
    PatchLayout layout;
    layout.description = "Translation v1.2  ";
    layout.records = {{0x10, {0x41, 0x42, 0x43}, {}}};
    const Bytes patch = BuildPatch(layout);
    ASSERT_EQ(patch.size(), 64u);
    Load(patch, 1);
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "Filename       : C:\\patches\\fix.kdx");
    EXPECT_EQ(lines[1], "Filelength     : 64 Bytes");
    EXPECT_EQ(lines[2], "Enc. Method    : 0 (KDX1.0)");
    EXPECT_EQ(lines[3], "Description    : " + Padded("Translation v1.2  "));
    EXPECT_EQ(lines[3].size(), 67u);
    EXPECT_EQ(lines[4], "KDX Patchdata  : 8 Bytes");
}

TEST(Version1Lines, ShortFilesListZeroOrNegativePatchData)
{
    Bytes header = BuildPatch(PatchLayout{});
    Load(header, 1);
    EXPECT_EQ(Lines()[4], "KDX Patchdata  : 0 Bytes");

    header.resize(50);  // the description is cut short: zero beyond the file's end
    Load(header, 1);
    const auto lines = Lines();
    EXPECT_EQ(lines[4], "KDX Patchdata  : -6 Bytes");
    EXPECT_EQ(lines[3], "Description    : " + std::string(50, '\0'));
}

PatchLayout V2(std::optional<std::string> diz, std::vector<Rec> records = {})
{
    PatchLayout layout;
    layout.version = 2;
    layout.description = "two";
    layout.diz = std::move(diz);
    layout.records = std::move(records);
    return layout;
}

TEST(Version2Lines, WithoutTrailerSaysNope)
{
    Load(BuildPatch(V2(std::nullopt)), 2);
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1], "Filelength     : 1084 Bytes");
    EXPECT_EQ(lines[2], "Enc. Method    : 1 (KDX2.0)");
    EXPECT_EQ(lines[4], "KDX Patchdata  : 0 Bytes");
    EXPECT_EQ(lines[5], "File_ID.diz    : Nope");
}

TEST(Version2Lines, TrailerTakesLPlus1122BytesFromTheRecords)
{
    const Bytes patch = BuildPatch(V2("HELLO", {{7, {1, 2, 3}, {}}}));
    ASSERT_EQ(patch.size(), 1135u);
    Load(patch, 2);
    EXPECT_EQ(gLoaded.patchDataLength, 1135 - 1127);
    EXPECT_EQ(gLoaded.diz.nonRecordBytes, 5 + 1122);
    EXPECT_EQ(gLoaded.Records().end, 1092);
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[5], "File_ID.diz    : Yes, showing ...");
    EXPECT_EQ(lines[6], "");
    EXPECT_EQ(lines[7], "HELLO");
}

TEST(Version2Lines, EmptyTextStillShowsTheTrailer)
{
    Load(BuildPatch(V2("")), 2);
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[4], "KDX Patchdata  : 0 Bytes");
    EXPECT_EQ(lines[5], "File_ID.diz    : Yes, showing ...");
    EXPECT_EQ(lines[7], "");
}

TEST(Version2Lines, RecordBytesThatSpellDizAreTakenAsATrailer)
{
    // Seven bytes before the end: "DIZ", then a length of 0.
    Load(BuildPatch(V2(std::nullopt, {{0, Bytes{'x', 'x', 'D', 'I', 'Z', 0, 0, 0, 0}, {}}})), 2);
    EXPECT_TRUE(gLoaded.diz.present);
    EXPECT_EQ(Lines()[5], "File_ID.diz    : Yes, showing ...");
}

TEST(Version2Lines, LongTextsAreCutAndLengthsBeforeTheFileReadNothing)
{
    const std::string text(5000, 'a');
    Load(BuildPatch(V2(text)), 2);
    EXPECT_EQ(gLoaded.diz.text.size(), 3072u);
    EXPECT_EQ(gLoaded.patchDataLength, gLoaded.fileLength - (5000 + 1122));

    PatchLayout huge = V2("abc");
    huge.dizLength = 0xFFFFFFFFu;
    Load(BuildPatch(huge), 2);
    EXPECT_EQ(gLoaded.diz.nonRecordBytes, 0xFFFFFFFFll + 1122);  // no 32-bit wrap-around
    EXPECT_EQ(gLoaded.diz.text, "");
    const auto lines = Lines();
    EXPECT_EQ(lines[5], "File_ID.diz    : Yes, showing ...");
    EXPECT_EQ(lines[7], "");
}

PatchLayout V3(std::uint8_t type, std::uint8_t blockFlag, std::uint8_t undoFlag)
{
    PatchLayout layout;
    layout.version = 3;
    layout.description = "three";
    layout.imageType = type;
    layout.blockCheckFlag = blockFlag;
    layout.undoFlag = undoFlag;
    return layout;
}

TEST(Version3Lines, ShortHeaderOneRecordAndATrailer)
{
    PatchLayout layout = V3(0, 0, 0);
    layout.records = {{100, {1, 2, 3}, {}}};
    Bytes patch = BuildPatch(layout);
    ASSERT_EQ(patch.size(), 72u);
    Load(patch, 3);
    EXPECT_EQ(gLoaded.headerLength, 60);
    EXPECT_EQ(gLoaded.patchDataLength, 12);
    EXPECT_EQ(gLoaded.Records(false).end, 72);
    EXPECT_FALSE(gLoaded.HasUndoData());
    auto lines = Lines();
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[2], "Enc. Method    : 2 (KDX3.0)");
    EXPECT_EQ(lines[3], "Undo Data      : Nope");
    EXPECT_EQ(lines[4], "Blockcheck     : Disabled  ");
    EXPECT_EQ(lines[5], "Imagetype      : Normal Image ");
    EXPECT_EQ(lines[7], "KDX Patchdata  : 12 Bytes");
    EXPECT_EQ(lines[8], "File_ID.diz    : Nope");

    layout.diz = "0123456789";
    patch = BuildPatch(layout);
    ASSERT_EQ(patch.size(), 118u);
    Load(patch, 3);
    EXPECT_EQ(gLoaded.diz.nonRecordBytes, 106);
    EXPECT_EQ(gLoaded.patchDataLength, 12);
    lines = Lines();
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[8], "File_ID.diz    : Yes, showing ...");
    EXPECT_EQ(lines[10], "0123456789");
}

TEST(Version3Lines, FlagsAndImageTypes)
{
    Load(BuildPatch(V3(1, 1, 1)), 3);
    auto lines = Lines();
    EXPECT_EQ(lines[3], "Undo Data      : Present ");
    EXPECT_EQ(lines[4], "Blockcheck     : Enabled ");
    EXPECT_EQ(lines[5], "Imagetype      : GI Image ");
    EXPECT_EQ(gLoaded.headerLength, 1084);
    EXPECT_EQ(gLoaded.BlockPosition(), 32928);

    // Flag 2: a long header but no block check; undo flag 2 reads as present.
    Load(BuildPatch(V3(255, 2, 2)), 3);
    lines = Lines();
    EXPECT_EQ(gLoaded.headerLength, 1084);
    EXPECT_EQ(lines[4], "Blockcheck     : Disabled  ");
    EXPECT_EQ(lines[5], "Imagetype      : Normal Image ");
    EXPECT_EQ(lines[3], "Undo Data      : Present ");
    EXPECT_TRUE(gLoaded.HasUndoData());
    EXPECT_FALSE(gLoaded.BlockCheck());
    EXPECT_EQ(gLoaded.BlockPosition(), -1);
    EXPECT_EQ(lines[7], "KDX Patchdata  : 0 Bytes");
}

TEST(Version3Lines, LongTextIsCutAtTheBufferSize)
{
    PatchLayout layout = V3(0, 0, 0);
    layout.diz = std::string(65535, 'z');
    Load(BuildPatch(layout), 3);
    EXPECT_EQ(gLoaded.diz.length, 65535u);
    EXPECT_EQ(gLoaded.diz.text.size(), 3072u);
    EXPECT_EQ(gLoaded.patchDataLength, 0);
}

}  // namespace
