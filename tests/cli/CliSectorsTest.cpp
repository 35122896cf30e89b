// mendrix-cli and raw sectors: sectors [--fix], apply/undo --fix-sectors,
// make's warning and --fix-sectors, check's sector line.
#include "tests/support/RawSectors.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

constexpr std::size_t kS = 2352;

RunResult Cli(const std::vector<std::string>& args) { return Run(MENDRIX_CLI, args); }

Bytes SectorOf(const Bytes& image, std::size_t lba)
{
    return Bytes(image.begin() + static_cast<std::ptrdiff_t>(lba * kS),
                 image.begin() + static_cast<std::ptrdiff_t>((lba + 1) * kS));
}

class CliSectors : public ::testing::Test {
protected:
    std::string Put(const std::string& name, const Bytes& bytes)
    {
        WriteFile(dir.File(name), bytes);
        return dir.File(name);
    }
    TempDir dir;
};

const std::vector<RawKind> kMixed = {RawKind::Mode1, RawKind::Mode2Form1,      RawKind::Mode2Form2,
                                     RawKind::Mode2Form2NoEdc, RawKind::Audio, RawKind::Mode0};

// One stored EDC or parity byte spoilt in each kind of checkable sector.
Bytes Spoilt(Bytes image)
{
    image[0 * kS + 2064] ^= 0x01;  // Mode 1: EDC
    image[1 * kS + 2300] ^= 0x80;  // Mode 2 Form 1: Q parity
    image[2 * kS + 2348] ^= 0x10;  // Mode 2 Form 2: EDC
    image[4 * kS + 100] ^= 0x01;   // audio and mode 0 hold anything
    image[5 * kS + 2064] ^= 0x01;
    return image;
}

// One parity byte of the Mode 2 Form 1 sector spoilt; its EDC stays right.
Bytes EccOnly(Bytes image)
{
    image[1 * kS + 2300] ^= 0x80;
    return image;
}

TEST_F(CliSectors, ListsKindsAndWrongSectorsOrRefusesImagesThatAreNotRaw)
{
    const Bytes clean = RawImage(kMixed);
    Bytes truncated = clean;
    truncated.pop_back();
    const std::string counts = "Sectors        : 6 of 2352 bytes\nMode 1         : 1\nMode 2 Form 1  : 1\n"
                               "Mode 2 Form 2  : 2\nOther          : 2\n";
    struct Case {
        Bytes image;
        int status;
        std::string out, err;
    } cases[] = {
        {clean, 0, counts + "Wrong EDC/ECC  : none\n", ""},
        {Spoilt(clean), 1, counts + "Wrong EDC/ECC  : 3 (EDC wrong in 2, ECC wrong in 2; LBA 0, 1, 2)\n", ""},
        // Only the parity wrong: as wrong as any other.
        {EccOnly(clean), 1, counts + "Wrong EDC/ECC  : 1 (EDC wrong in 0, ECC wrong in 1; LBA 1)\n", ""},
        {truncated, 1, "",
         "Error: Not a raw image of 2352-byte sectors (its length is not a multiple of 2352 bytes)\n"},
        {Bytes(2 * kS, 0), 1, "",
         "Error: Not a raw image of 2352-byte sectors (its first sector does not start with the sync pattern)\n"},
    };
    for (const Case& c : cases) {
        const std::string image = Put("disc.bin", c.image);
        const RunResult r = Cli({"sectors", image});
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(ReadFile(image), c.image);
    }
    const RunResult eccJson = Cli({"sectors", "--json", Put("disc.bin", EccOnly(clean))});
    EXPECT_EQ(eccJson.status, 1);
    EXPECT_NE(eccJson.out.find("\"wrong\": 1,\n  \"wrongEdc\": 0,\n  \"wrongEcc\": 1,"), std::string::npos) << eccJson.out;
    const RunResult json = Cli({"sectors", "--json", Put("disc.bin", Spoilt(clean))});
    EXPECT_NE(json.out.find("\"wrong\": 3,\n  \"wrongEdc\": 2,\n  \"wrongEcc\": 2,\n  \"firstWrong\": [\n    0,\n    1,\n"
                            "    2\n  ]\n}"),
              std::string::npos)
        << json.out;
}

TEST_F(CliSectors, FixRepairsOnlyTheWrongSectorsAfterTheQuestion)
{
    const Bytes clean = RawImage(kMixed);
    const std::string image = Put("disc.bin", Spoilt(clean));
    RunResult r = Cli({"sectors", "--fix", image});  // no terminal: the answer is No
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("(copy protection)"), std::string::npos);
    EXPECT_EQ(ReadFile(image), Spoilt(clean));

    r = Cli({"sectors", "--fix", "--yes", image});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Fixed          : 3 sectors\n"), std::string::npos);
    Bytes expected = clean;  // audio and mode 0 keep what they held
    expected[4 * kS + 100] ^= 0x01;
    expected[5 * kS + 2064] ^= 0x01;
    EXPECT_EQ(ReadFile(image), expected);
}

// Sector 1: data changed by the patch; sector 2: the patch writes a whole
// right sector of its own; sector 3: wrong before the patch (on purpose).
TEST_F(CliSectors, ApplyAndUndoKeepTouchedSectorsRightThatWereRight)
{
    Bytes original = RawImage({RawKind::Mode1, RawKind::Mode1, RawKind::Mode1, RawKind::Mode1});
    original[3 * kS + 2070] ^= 0x01;
    Bytes modified = original;
    modified[1 * kS + 500] ^= 0xFF;
    const Bytes foreign = RawSector(RawKind::Mode2Form1, 77);
    std::copy(foreign.begin(), foreign.end(), modified.begin() + 2 * kS);
    modified[3 * kS + 600] ^= 0xFF;
    const std::string a = Put("a.bin", original), b = Put("b.bin", modified), p = dir.File("p.kdx");
    RunResult made = Cli({"make", a, b, "-o", p, "--undo"});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_NE(made.err.find("Warning: MODIFIED has 1 sectors whose EDC/ECC do not match their data (first LBA 1); "
                            "fix them with `mendrix-cli sectors --fix` first, or the patched disc will not read there\n"),
              std::string::npos)
        << made.err;

    const std::string image = Put("disc.bin", original);
    const std::string checked = Cli({"check", p, image}).out;
    EXPECT_EQ(checked.substr(checked.rfind("Sector")), "Sector EDC/ECC : 2 right, 1 wrong of the 3 sectors the patch touches\n");
    RunResult r = Cli({"apply", "--fix-sectors", "--yes", p, image});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("EDC/ECC updated in 1 sectors\n"), std::string::npos) << r.err;
    const Bytes applied = ReadFile(image);
    EXPECT_EQ(SectorOf(applied, 2), foreign);
    EXPECT_EQ(SectorOf(applied, 3), SectorOf(modified, 3));
    EXPECT_EQ(Bytes(applied.begin() + kS, applied.begin() + kS + 2064),
              Bytes(modified.begin() + kS, modified.begin() + kS + 2064));
    const std::string listed = Cli({"sectors", image}).out;
    EXPECT_EQ(listed.substr(listed.rfind("Wrong")), "Wrong EDC/ECC  : 1 (EDC wrong in 1, ECC wrong in 1; LBA 3)\n");

    r = Cli({"undo", "--fix-sectors", "--yes", p, image});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(image), original);

    const std::string iso = Put("iso.bin", Bytes(4 * kS, 0));
    r = Cli({"apply", "--fix-sectors", "--yes", p, iso});
    EXPECT_NE(r.err.find("Not a raw image of 2352-byte sectors (its first sector does not start with the sync "
                         "pattern): --fix-sectors leaves the image as the patch writes it\n"),
              std::string::npos)
        << r.err;
}

TEST_F(CliSectors, MakeFixSectorsLeavesModifiedAsItIs)
{
    const Bytes original = RawImage({RawKind::Mode1, RawKind::Mode2Form1, RawKind::Mode1});
    Bytes modified = original;
    modified[1 * kS + 30] ^= 0x55;
    const std::string a = Put("a.bin", original), b = Put("b.bin", modified), p = dir.File("p.kdx");
    const RunResult made = Cli({"make", "--fix-sectors", a, b, "-o", p});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(ReadFile(b), modified);
    ASSERT_EQ(Cli({"apply", "--yes", p, a}).status, 0);
    EXPECT_EQ(Cli({"sectors", a}).status, 0);
    const Bytes applied = ReadFile(a);
    EXPECT_EQ(applied[1 * kS + 30], modified[1 * kS + 30]);
}

}  // namespace
