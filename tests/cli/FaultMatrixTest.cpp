// Every fault a patch or an image can bring to mendrix-cli apply: the exact
// messages, the exit status, and the image compared with its copy before.
#include "tests/support/RunProgram.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace {

constexpr std::int64_t kImageLength = 38688;  // holds the block at 37,664
const std::string kNoData = "Error: This patch contains no bytes of patch-data. This operation has been cancelled.\n";
const std::string kDamaged =
    "Error: This patch is damaged, its records do not fit its patch-data. This operation has been cancelled.\n";
const std::string kOutside =
    "Error: This patch attemps to write in an area outside of this image. This operation has been cancelled.\n";
const std::string kSuccess = "Information: Patch successfully applied, burn image to CD now!\n";
const std::string kBlockNo = "Warning: Binblock/Patchvalidation failed. Continue ? no\n";
const std::string kBlockYes = "Warning: Binblock/Patchvalidation failed. Continue ? yes\n";

// The window's box, then the system's reason on a line of its own.
std::string CantOpenKdx(const std::string& p, const std::string& why)
{
    return "Error: Can't open kdx (" + p + ")\n(" + why + ")\n";
}
std::string NoValid(const std::string& p) { return "Warning: This file is no valid kdx file (" + p + ")\n"; }
std::string Unknown(const std::string& p)
{
    return "Warning: This kdx patch has a unknown encoding method\n(" + p +
           ")\n\nCheck our website to get the recent version of mendrix\n";
}
std::string CantOpenImage(const std::string& i, const std::string& why)
{
    return "Error: Can't open the specified image file ...\n(" + i + ")\n(" + why + ")\n";
}
std::string CantWrite(const std::string& why)
{
    return "Error: Can't write to the image file (" + why + "). This operation has been cancelled.\n";
}

const Bytes& Image()
{
    static const Bytes image = Noise(static_cast<std::size_t>(kImageLength), 77);
    return image;
}

// A patch of the version that fits Image(): its size, its block, no questions.
PatchLayout Fitting(int version, std::vector<Rec> records)
{
    PatchLayout layout;
    layout.version = version;
    layout.records = std::move(records);
    layout.imageSize = static_cast<std::uint32_t>(kImageLength);
    layout.block.assign(Image().begin() + 37664, Image().end());
    return layout;
}

Bytes Cut(Bytes b, std::size_t n)
{
    b.resize(n);
    return b;
}

// Holds a file open the way another MENDRIX does: an exclusive lock.
int Hold(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    return fd;
}

struct Files {
    std::string patch;
    std::string image;
    int held = -1;
};

struct Case {
    std::string name;
    std::function<void(Files&)> setup;  // the image is Image() unless setup changes it
    std::vector<std::string> flags;
    std::function<std::string(const Files&)> err;
    int status;
    std::function<Bytes(Bytes)> after;  // null: the image stays as it was
};

class FaultMatrix : public ::testing::Test {
protected:
    void Check(const Case& c)
    {
        SCOPED_TRACE(c.name);
        Files f{dir.File(c.name + ".kdx"), dir.File(c.name + ".bin")};
        WriteFile(f.image, Image());
        c.setup(f);
        struct stat st {};
        const bool imageIsFile = ::stat(f.image.c_str(), &st) == 0 && S_ISREG(st.st_mode);
        const Bytes before = imageIsFile ? ReadFile(f.image) : Bytes{};
        std::vector<std::string> args{"apply"};
        args.insert(args.end(), c.flags.begin(), c.flags.end());
        args.push_back(f.patch);
        args.push_back(f.image);
        const RunResult r = testsupport::Run(MENDRIX_CLI, args);
        if (f.held >= 0) ::close(f.held);
        EXPECT_EQ(r.err, c.err(f));
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.status, c.status);
        if (imageIsFile) {
            EXPECT_EQ(ReadFile(f.image), c.after ? c.after(before) : before);
        }
    }
    TempDir dir;
};

std::function<void(Files&)> PatchBytes(const Bytes& bytes)
{
    return [bytes](Files& f) { WriteFile(f.patch, bytes); };
}
std::function<void(Files&)> PatchOf(const PatchLayout& layout) { return PatchBytes(BuildPatch(layout)); }
std::function<std::string(const Files&)> Says(const std::string& text)
{
    return [text](const Files&) { return text; };
}

TEST_F(FaultMatrix, PatchFaultsAreReportedAndWriteNothing)
{
    const auto noValid = [](const Files& f) { return NoValid(f.patch); };
    const auto unknown = [](const Files& f) { return Unknown(f.patch); };
    const Bytes v1 = BuildPatch(Fitting(1, {{0, {1, 2, 3}, {}}}));
    Bytes lower = v1;
    lower[0] = 'k';
    Bytes method3 = v1;
    method3[5] = 3;
    Bytes method255 = v1;
    method255[5] = 255;

    PatchLayout v3Block = Fitting(3, {{0, {1}, {}}});
    v3Block.blockCheckFlag = 1;
    // A record whose count reaches into the trailer.
    PatchLayout intoTrailer2 = Fitting(2, {{0, {1, 2, 3, 4}, {}}});
    intoTrailer2.diz = "text";
    Bytes runsPast2 = BuildPatch(intoTrailer2);
    runsPast2[1084 + 4] = 30;
    PatchLayout intoTrailer3 = Fitting(3, {{0, {1, 2, 3, 4}, {}}});
    intoTrailer3.diz = "text";
    Bytes runsPast3 = BuildPatch(intoTrailer3);
    runsPast3[60 + 8] = 30;
    // Trailer lengths that reach back before the file's start.
    PatchLayout before2 = Fitting(2, {{0, {1}, {}}});
    before2.diz = "abc";
    before2.dizLength = 0xFFFFFFFFu;
    PatchLayout before3 = Fitting(3, {{0, {1}, {}}});
    before3.diz = "abc";
    before3.dizLength = 0xFFFF;

    const std::vector<Case> cases = {
        {"missing", [](Files&) {}, {}, [](const Files& f) { return CantOpenKdx(f.patch, "No such file or directory"); },
         1, nullptr},
        {"directory", [](Files& f) { std::filesystem::create_directory(f.patch); }, {},
         [](const Files& f) { return CantOpenKdx(f.patch, "Is a directory"); }, 1, nullptr},
        {"held_open", [&](Files& f) { WriteFile(f.patch, v1); f.held = Hold(f.patch); }, {},
         [](const Files& f) { return CantOpenKdx(f.patch, "Device or resource busy"); }, 1, nullptr},
        // Any other reason in the system's own words.
        {"under_a_file", [&](Files& f) { f.patch = f.image + "/p.kdx"; }, {},
         [](const Files& f) { return CantOpenKdx(f.patch, "Not a directory"); }, 1, nullptr},
        {"empty", PatchBytes({}), {}, noValid, 1, nullptr},
        {"one_byte", PatchBytes(Text("K")), {}, noValid, 1, nullptr},
        {"two_bytes", PatchBytes(Text("KD")), {}, noValid, 1, nullptr},
        {"three_bytes", PatchBytes(Text("KDX")), {}, unknown, 1, nullptr},
        {"four_bytes", PatchBytes(Text("KDX1")), {}, unknown, 1, nullptr},
        {"five_bytes", PatchBytes(Text("KDX10")), {}, unknown, 1, nullptr},
        {"five_bytes_no_magic", PatchBytes(Text("MZ\x90\x00\x03")), {}, noValid, 1, nullptr},
        {"wrong_magic", PatchBytes(lower), {}, noValid, 1, nullptr},
        {"method_3", PatchBytes(method3), {}, unknown, 1, nullptr},
        {"method_255", PatchBytes(method255), {}, unknown, 1, nullptr},
        {"v1_header_cut", PatchBytes(Cut(v1, 30)), {}, Says(kNoData), 1, nullptr},
        // The size still matches; the block is cut.
        {"v2_header_cut", PatchBytes(Cut(BuildPatch(Fitting(2, {})), 600)), {"--yes"}, Says(kBlockYes + kNoData), 1,
         nullptr},
        {"v3_header_cut", PatchBytes(Cut(BuildPatch(v3Block), 500)), {"--yes"}, Says(kBlockYes + kNoData), 1, nullptr},
        {"v1_record_cut", PatchBytes(Cut(v1, v1.size() - 1)), {}, Says(kDamaged), 1, nullptr},
        {"v2_record_cut", PatchBytes(Cut(BuildPatch(Fitting(2, {{0, {1}, {}}, {9, {2, 3}, {}}})), 1084 + 6 + 6)),
         {}, Says(kDamaged), 1, nullptr},
        {"v3_record_cut", PatchBytes(Cut(BuildPatch(Fitting(3, {{0, {1}, {}}, {9, {2, 3}, {}}})), 60 + 10 + 10)),
         {}, Says(kDamaged), 1, nullptr},
        {"v2_record_into_trailer", PatchBytes(runsPast2), {}, Says(kDamaged), 1, nullptr},
        {"v3_record_into_trailer", PatchBytes(runsPast3), {}, Says(kDamaged), 1, nullptr},
        {"v2_diz_length_4294967295", PatchOf(before2), {}, Says(kNoData), 1, nullptr},
        {"v3_diz_length_65535_before_start", PatchOf(before3), {}, Says(kNoData), 1, nullptr},
        {"v3_negative_offset", PatchOf(Fitting(3, {{0, {1}, {}}, {1, {2}, {}}, {-1, {3}, {}}})), {}, Says(kOutside), 1,
         nullptr},
        {"v3_offset_beyond_any_file", PatchOf(Fitting(3, {{0, {1}, {}}, {INT64_MAX - 2, {1, 2, 3, 4}, {}}})), {},
         Says(kOutside), 1, nullptr},
    };
    for (const Case& c : cases) Check(c);
}

TEST_F(FaultMatrix, ImageFaultsAreReportedAndWriteNothing)
{
    const PatchLayout v1 = Fitting(1, {{0, {1, 2, 3}, {}}});
    const auto cantOpen = [](const char* why) { return [why](const Files& f) { return CantOpenImage(f.image, why); }; };
    const auto patched = [](Bytes b) {
        b[0] = 1;
        b[1] = 2;
        b[2] = 3;
        return b;
    };
    PatchLayout v2Short = Fitting(2, {{0, {1, 2, 3}, {}}});
    v2Short.imageSize = 38687;
    PatchLayout v3Gi = Fitting(3, {{0, {1, 2, 3}, {}}});
    v3Gi.blockCheckFlag = 1;
    v3Gi.imageType = 1;
    PatchLayout v3Normal = v3Gi;
    v3Normal.imageType = 0;
    const auto shortImage = [](std::size_t n, const PatchLayout& layout) {
        return [n, layout](Files& f) {
            WriteFile(f.patch, BuildPatch(layout));
            WriteFile(f.image, Bytes(Image().begin(), Image().begin() + static_cast<std::ptrdiff_t>(n)));
        };
    };

    const std::vector<Case> cases = {
        {"image_missing", [&](Files& f) { WriteFile(f.patch, BuildPatch(v1)); std::filesystem::remove(f.image); }, {},
         cantOpen("No such file or directory"), 1, nullptr},
        {"image_directory",
         [&](Files& f) {
             WriteFile(f.patch, BuildPatch(v1));
             std::filesystem::remove(f.image);
             std::filesystem::create_directory(f.image);
         },
         {}, cantOpen("Is a directory"), 1, nullptr},
        {"image_held_open", [&](Files& f) { WriteFile(f.patch, BuildPatch(v1)); f.held = Hold(f.image); }, {},
         cantOpen("Device or resource busy"), 1, nullptr},
        {"v2_image_short_of_block", shortImage(38687, v2Short), {"--no"}, Says(kBlockNo), 1, nullptr},
        {"v3_gi_image_short_of_block", shortImage(32928 + 1023, v3Gi), {"--no"}, Says(kBlockNo), 1, nullptr},
        {"v3_image_short_of_block", shortImage(37664 + 1023, v3Normal), {"--no"}, Says(kBlockNo), 1, nullptr},
        {"v3_image_short_of_block_yes", shortImage(37664, v3Normal), {"--yes"},
         Says(kBlockYes + kSuccess), 0, patched},
    };
    for (const Case& c : cases) Check(c);
}

TEST_F(FaultMatrix, FileSizeLimitFailsBeforeTheFirstWrite)
{
    for (const bool sparse : {false, true}) {
        SCOPED_TRACE(sparse);
        const std::string patch = dir.File("p.kdx"), image = dir.File("i.bin");
        WriteFile(patch, BuildPatch(Fitting(1, {{0, {1}, {}}, {1 << 20, {2}, {}}})));
        WriteFile(image, sparse ? Bytes{} : Image());
        if (sparse) {
            ASSERT_EQ(::truncate(image.c_str(), kImageLength), 0);
        }
        const Bytes before = ReadFile(image);
        const RunResult r = testsupport::Run(MENDRIX_CLI, {"apply", patch, image}, "", 65536);
        EXPECT_EQ(r.err, CantWrite("File too large"));
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(ReadFile(image), before);
    }
}

TEST_F(FaultMatrix, FullDiskFailsBeforeTheFirstWrite)
{
    // Mapped with its space reserved at once, and sparse with each record's place reserved.
    for (const bool sparse : {false, true}) {
        SCOPED_TRACE(sparse);
        SmallDisk disk(dir.File(sparse ? "sparse" : "full"), 128 * 1024);
        if (!disk.Mounted()) GTEST_SKIP() << disk.Reason();
        const std::string patch = dir.File("p.kdx"), image = disk.File("i.bin");
        WriteFile(patch, BuildPatch(Fitting(1, {{0, {1}, {}}, {20000, {2}, {}}, {300000, {3}, {}}})));
        // The sparse image has its first page on disk: the first record would fit.
        WriteFile(image, Bytes(sparse ? 4096 : 64 * 1024, 9));
        if (sparse) {
            ASSERT_EQ(::truncate(image.c_str(), 400000), 0);
        }
        disk.Fill();
        const Bytes before = ReadFile(image);
        const RunResult r = testsupport::Run(MENDRIX_CLI, {"apply", patch, image});
        EXPECT_EQ(r.err, CantWrite("No space left on device"));
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(ReadFile(image), before);
    }
}

TEST_F(FaultMatrix, ReadOnlyImageCannotBeOpened)
{
    const std::string patch = dir.File("p.kdx");
    WriteFile(patch, BuildPatch(Fitting(1, {{0, {1}, {}}})));
    std::string image = dir.File("i.bin");
    // Permission bits stop everyone but root; root needs a read-only mount.
    SmallDisk disk(dir.File("ro"), 128 * 1024);
    if (geteuid() == 0) {
        if (!disk.Mounted()) GTEST_SKIP() << disk.Reason();
        image = disk.File("i.bin");
        WriteFile(image, Image());
        if (!disk.MakeReadOnly()) GTEST_SKIP() << disk.Reason();
    } else {
        WriteFile(image, Image());
        ASSERT_EQ(::chmod(image.c_str(), 0444), 0);
    }
    const RunResult r = testsupport::Run(MENDRIX_CLI, {"apply", patch, image});
    EXPECT_EQ(r.err, CantOpenImage(image, geteuid() == 0 ? "Read-only file system" : "Permission denied"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(ReadFile(image), Image());
}

TEST_F(FaultMatrix, OffsetsPast4GiBGrowTheImageSparse)
{
    const std::string patch = dir.File("p.kdx"), image = dir.File("i.bin");
    const std::int64_t far = (std::int64_t{5} << 30) + 3;
    WriteFile(patch, BuildPatch(Fitting(3, {{2, {0xAA}, {}}, {far, {0xBB, 0xCC}, {}}})));
    WriteFile(image, Image());
    const RunResult r = testsupport::Run(MENDRIX_CLI, {"apply", patch, image});
    EXPECT_EQ(r.err, kSuccess);
    EXPECT_EQ(r.status, 0);
    struct stat st {};
    ASSERT_EQ(::stat(image.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, far + 2);
    EXPECT_LT(st.st_blocks * 512, 16 << 20) << "the gap must stay a hole";
    const int fd = ::open(image.c_str(), O_RDONLY);
    Bytes head(static_cast<std::size_t>(kImageLength) + 4096), tail(2);
    ASSERT_EQ(::pread(fd, head.data(), head.size(), 0), static_cast<ssize_t>(head.size()));
    ASSERT_EQ(::pread(fd, tail.data(), 2, far), 2);
    ::close(fd);
    Bytes expected = Image();
    expected[2] = 0xAA;
    expected.resize(head.size(), 0);
    EXPECT_EQ(head, expected);
    EXPECT_EQ(tail, (Bytes{0xBB, 0xCC}));
}

TEST_F(FaultMatrix, DizLength65535IsListedCutAndItsRecordsStillApply)
{
    PatchLayout layout = Fitting(3, {{4, {0x5A}, {}}});
    layout.diz = std::string(65535, 'd');
    const std::string patch = dir.File("p.kdx"), image = dir.File("i.bin");
    WriteFile(patch, BuildPatch(layout));
    WriteFile(image, Image());
    RunResult r = testsupport::Run(MENDRIX_CLI, {"info", patch});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("KDX Patchdata  : 10 Bytes\nFile_ID.diz    : Yes, showing ...\n\n" + std::string(3072, 'd') +
                         "\n"),
              std::string::npos);
    r = testsupport::Run(MENDRIX_CLI, {"apply", patch, image});
    EXPECT_EQ(r.err, kSuccess);
    EXPECT_EQ(r.status, 0);
    Bytes expected = Image();
    expected[4] = 0x5A;
    EXPECT_EQ(ReadFile(image), expected);
}

}  // namespace
