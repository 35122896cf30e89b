// The Win32 file layer: what only Windows decides (read-only attributes,
// UTF-16 names, long paths, 64-bit OVERLAPPED offsets, the system's texts).
#include "kdx/File.h"
#include "kdx/Patch.h"
#include "tests/support/TempFiles.h"
#include "utf16/Utf16.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cerrno>

using namespace testsupport;

namespace {

TEST(Win32Files, ReadOnlyFileOpensForReadingOnly)
{
    TempDir dir;
    const std::string path = dir.File("image.bin");
    WriteFile(path, Text("data"));
    ASSERT_NE(SetFileAttributesW(utf16::Widen(path).c_str(), FILE_ATTRIBUTE_READONLY), 0);
    kdx::File file;
    EXPECT_FALSE(kdx::OpenReadWrite(file, path));
    EXPECT_EQ(file.LastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(file.LastErrorText(), "Access denied.");
    EXPECT_EQ(kdx::OpenFailureOf(file.LastError()), kdx::OpenFailure::Denied);
    EXPECT_TRUE(kdx::OpenReadOnly(file, path));
    file.Close();
    SetFileAttributesW(utf16::Widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Win32Files, AFolderIsRefusedAsAFolderInTheWordsOfTheAccessDenial)
{
    TempDir dir;
    for (const bool writable : {false, true}) {
        kdx::File file;
        EXPECT_FALSE(file.Open(dir.Path().string(), writable));
        EXPECT_EQ(kdx::OpenFailureOf(file.LastError()), kdx::OpenFailure::Folder);
        EXPECT_EQ(file.LastErrorText(), "Access denied.");
    }
}

TEST(Win32Files, WritesPastFourGiBIntoASparseFileAndReadsThemBack)
{
    TempDir dir;
    const std::string path = dir.File("big.bin");
    kdx::File file;
    ASSERT_TRUE(file.Create(path));
    const std::int64_t beyond = (std::int64_t{1} << 32) + 12345;  // a low half that alone would land at 12345
    ASSERT_TRUE(file.WriteAt(beyond, "tail", 4));
    ASSERT_TRUE(file.WriteAt(12345, "head", 4));
    EXPECT_EQ(file.Length(), beyond + 4);
    char back[5] = {};
    EXPECT_EQ(file.ReadAt(beyond, back, 4), 4);
    EXPECT_STREQ(back, "tail");
    EXPECT_EQ(file.ReadAt(12345, back, 4), 4);
    EXPECT_STREQ(back, "head");
    EXPECT_EQ(file.ReadAt(beyond + 2, back, 4), 2);  // short at the end, not an error
    EXPECT_TRUE(file.SetLength(100));
    EXPECT_EQ(file.Length(), 100);
}

TEST(Win32Files, UnicodeAndLongNamesOpenCreateRenameAndRemove)
{
    TempDir dir;
    const std::string folder = dir.File("\xC3\x9C" "bersetzung");  // "Übersetzung"
    ASSERT_NE(CreateDirectoryW(utf16::Widen(folder).c_str(), nullptr), 0);
    // "ディスク 1.bin"
    const std::string disk = folder + "\\\xE3\x83\x87\xE3\x82\xA3\xE3\x82\xB9\xE3\x82\xAF 1.bin";
    kdx::File file;
    ASSERT_TRUE(file.Create(disk));
    EXPECT_FALSE(kdx::File().Create(disk));
    ASSERT_TRUE(file.WriteAt(0, "KDX", 3));
    file.Close();
    EXPECT_EQ(ReadFile(disk), Text("KDX"));

    // Past MAX_PATH the layer adds the "\\?\" prefix itself.
    std::string deep = folder;
    while (deep.size() < 300) {
        deep += "\\" + std::string(60, 'd');
        ASSERT_NE(CreateDirectoryW(utf16::FilePath(deep).c_str(), nullptr), 0) << deep.size();
    }
    const std::string longName = deep + "\\image.bin";
    EXPECT_EQ(kdx::RenameFile(disk, longName), 0);
    ASSERT_TRUE(kdx::OpenReadOnly(file, longName));
    EXPECT_TRUE(kdx::CheckMagic(file));
    file.Close();
    EXPECT_EQ(kdx::RemoveFile(longName), 0);
    EXPECT_EQ(kdx::RemoveFile(longName), ERROR_FILE_NOT_FOUND);
    while (deep.size() > folder.size()) {
        RemoveDirectoryW(utf16::FilePath(deep).c_str());
        deep.erase(deep.rfind('\\'));
    }
}

TEST(Win32Files, TheEngineNumbersKeepTheSystemsTexts)
{
    const struct {
        int error;
        const char* text;
    } cases[] = {
        {ENOSPC, "Disk full."},
        {EEXIST, "File exists."},
        {ERROR_SHARING_VIOLATION, "Sharing violation."},
    };
    for (const auto& c : cases) EXPECT_EQ(kdx::SystemErrorText(c.error), c.text) << c.error;
}

}  // namespace
