// mendrix-cli make, apply and undo together: round trips, refusals with
// their messages and exit status, and the facts as JSON.
#include "tests/support/RunProgram.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

using namespace testsupport;

namespace {

RunResult Cli(const std::vector<std::string>& args) { return Run(MENDRIX_CLI, args); }

class CliMake : public ::testing::Test {
protected:
    void SetUp() override
    {
        original = Noise(60000, 11);
        modified = original;
        for (std::size_t i = 2000; i < 2600; ++i) modified[i] ^= 0x33;
        modified[38000] ^= 1;
        const Bytes tail = Noise(123, 12);
        modified.insert(modified.end(), tail.begin(), tail.end());
        WriteFile(dir.File("a.bin"), original);
        WriteFile(dir.File("b.bin"), modified);
        WriteFile(dir.File("file_id.diz"), Text("Tested patch\r\n"));
    }
    std::vector<std::string> MakeArgs(std::vector<std::string> extra) const
    {
        std::vector<std::string> args{"make", dir.File("a.bin"), dir.File("b.bin"), "-o", dir.File("p.kdx")};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
    std::size_t FileCount() const { return std::distance(std::filesystem::directory_iterator(dir.Path()), {}); }

    TempDir dir;
    Bytes original;
    Bytes modified;
};

TEST_F(CliMake, MakeThenApplyThenUndoForEveryVersion)
{
    const std::string diz = dir.File("file_id.diz");
    const std::vector<std::vector<std::string>> variants = {
        {"--kdx-version", "1"},
        {"--kdx-version", "2", "--diz", diz, "--description", "version two"},
        {"--kdx-version", "3"},
        {"--undo", "--blockcheck", "--gi", "--diz", diz, "--description", "Caf\xC3\xA9"},
        {"--undo", "--blockcheck", "-q"},
    };
    for (const auto& variant : variants) {
        const RunResult made = Cli(MakeArgs(variant));
        ASSERT_EQ(made.status, 0) << made.err;
        EXPECT_EQ(made.out, "");
        EXPECT_EQ(made.err.rfind("Information: Patch written: version ", 0), 0u) << made.err;
        EXPECT_NE(made.err.find(" Bytes in all (" + dir.File("p.kdx") + ")\n"), std::string::npos) << made.err;

        WriteFile(dir.File("disc.bin"), original);
        const RunResult applied = Cli({"apply", "--yes", dir.File("p.kdx"), dir.File("disc.bin")});
        EXPECT_EQ(applied.status, 0) << applied.err;
        EXPECT_EQ(applied.err, "Information: Patch successfully applied, burn image to CD now!\n");
        ASSERT_EQ(ReadFile(dir.File("disc.bin")), modified);

        const bool undo = std::find(variant.begin(), variant.end(), "--undo") != variant.end();
        // The block of a patched image may differ from the original's: --yes goes on.
        const RunResult undone = Cli({"undo", "--yes", dir.File("p.kdx"), dir.File("disc.bin")});
        if (undo) {
            EXPECT_EQ(undone.status, 0) << undone.err;
            Bytes expected = original;
            expected.resize(modified.size(), 0);  // the grown part stays, as zeros
            EXPECT_EQ(ReadFile(dir.File("disc.bin")), expected);
        } else {
            EXPECT_EQ(undone.status, 1);
            EXPECT_EQ(undone.err, "Error: This patch carries no undo data, it cannot be taken back out of an image (" +
                                      dir.File("p.kdx") + ")\n");
            EXPECT_EQ(ReadFile(dir.File("disc.bin")), modified);
        }
    }
}

TEST_F(CliMake, DescriptionsTypedAsUtf8AreStoredAsWindows1252)
{
    // 48 letters, an e with acute accent and the euro sign: 53 bytes of
    // UTF-8, 50 stored (the euro is 0x80, from the code page's own range).
    const std::string text = std::string(48, 'x') + "\xC3\xA9" + "\xE2\x82\xAC";
    ASSERT_EQ(Cli(MakeArgs({"--description", text})).status, 0);
    const Bytes patch = ReadFile(dir.File("p.kdx"));
    EXPECT_EQ(std::string(patch.begin() + 6, patch.begin() + 56), std::string(48, 'x') + "\xE9\x80");

    const RunResult info = Cli({"info", dir.File("p.kdx")});
    EXPECT_NE(info.out.find("Description    : " + text + "\n"), std::string::npos);

    const RunResult arrow = Cli(MakeArgs({"--description", "a \xE2\x86\x92 b"}));
    EXPECT_EQ(arrow.status, 1);
    EXPECT_EQ(arrow.err, "Error: The description holds characters that Windows-1252 cannot show.\n");
}

TEST_F(CliMake, AFileIdDizOfExactly3072BytesIsAcceptedAndListedWhole)
{
    const std::string text = std::string(3071, 'x') + "y";
    WriteFile(dir.File("edge.diz"), Text(text));
    ASSERT_EQ(Cli(MakeArgs({"--diz", dir.File("edge.diz")})).status, 0);
    const RunResult info = Cli({"info", dir.File("p.kdx")});
    EXPECT_NE(info.out.find("File_ID.diz    : Yes, showing ...\n\n" + text + "\n"), std::string::npos);
}

TEST_F(CliMake, RefusalsSayWhyAndWriteNothing)
{
    WriteFile(dir.File("big.diz"), Bytes(3073, 'x'));
    WriteFile(dir.File("short.bin"), Bytes(original.begin(), original.end() - 1));
    const std::size_t files = FileCount();
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"make", dir.File("a.bin"), dir.File("a.bin"), "-o", dir.File("p.kdx")},
         "Error: The images are identical, there is nothing to patch.\n"},
        {{"make", dir.File("a.bin"), dir.File("short.bin"), "-o", dir.File("p.kdx")},
         "Error: The modified image is shorter than the original image; a patch cannot make an image shorter.\n"},
        {MakeArgs({"--kdx-version", "2", "--undo"}), "Error: Undo data needs a version 3.0 patch.\n"},
        {MakeArgs({"--kdx-version", "1", "--diz", dir.File("file_id.diz")}),
         "Error: A version 1.0 patch cannot carry a FILE_ID.DIZ text.\n"},
        {MakeArgs({"--diz", dir.File("big.diz")}),
         "Error: The FILE_ID.DIZ text is 3073 bytes long; at most 3072 are allowed (readers show no more).\n"},
        {MakeArgs({"--description", std::string(51, 'd')}),
         "Error: The description is 51 bytes long; a patch holds at most 50.\n"},
    };
    for (const auto& c : cases) {
        const RunResult r = Cli(c.args);
        EXPECT_EQ(r.status, 1) << c.err;
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(FileCount(), files) << c.err;
    }
    EXPECT_EQ(Cli(MakeArgs({"--kdx-version", "4"})).status, 2);
    EXPECT_EQ(Cli({"make", dir.File("a.bin"), dir.File("b.bin")}).status, 2);  // no -o
    EXPECT_EQ(FileCount(), files);
}

TEST_F(CliMake, InfoAsJsonListsTheLoadedFacts)
{
    ASSERT_EQ(Cli(MakeArgs({"--undo", "--blockcheck", "--gi", "--diz", dir.File("file_id.diz"), "--description",
                            "Caf\xC3\xA9 \"fix\""}))
                  .status,
              0);
    const RunResult r = Cli({"info", "--json", dir.File("p.kdx")});
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    const Bytes patch = ReadFile(dir.File("p.kdx"));
    EXPECT_EQ(j["file"], dir.File("p.kdx"));
    EXPECT_EQ(j["version"], "3.0");
    EXPECT_EQ(j["encodingMethod"], 2);
    EXPECT_EQ(j["fileLength"], patch.size());
    EXPECT_EQ(j["patchDataLength"], patch.size() - 1084 - (14 + 36));
    EXPECT_EQ(j["description"]["text"], "Caf\xC3\xA9 \"fix\"");
    EXPECT_EQ(j["description"]["hex"], "436166e9202266697822" + std::string(80, '0'));
    EXPECT_EQ(j["undoData"], true);
    EXPECT_EQ(j["blockCheck"], true);
    EXPECT_EQ(j["blockPosition"], 32928);
    EXPECT_EQ(j["imageType"], "GI image");
    EXPECT_TRUE(j["imageSize"].is_null());
    EXPECT_EQ(j["fileIdDiz"], "Tested patch\r\n");
    EXPECT_EQ(j["recordArea"], "sound");
    EXPECT_GE(j["records"].get<int>(), 4);  // 600 changed bytes need three, then the other change and the growth

    PatchLayout layout;
    layout.version = 2;
    layout.imageSize = 123456;
    layout.records = {{1, {2}, {}}, {3, {4}, {}}};
    WriteFile(dir.File("v2.kdx"), BuildPatch(layout));
    const nlohmann::json v2 = nlohmann::json::parse(Cli({"info", "--json", dir.File("v2.kdx")}).out);
    EXPECT_EQ(v2["version"], "2.0");
    EXPECT_EQ(v2["imageSize"], 123456);
    EXPECT_EQ(v2["blockCheck"], true);
    EXPECT_EQ(v2["blockPosition"], 37664);
    EXPECT_TRUE(v2["imageType"].is_null());
    EXPECT_TRUE(v2["fileIdDiz"].is_null());
    EXPECT_EQ(v2["undoData"], false);
    EXPECT_EQ(v2["records"], 2);

    const RunResult bad = Cli({"info", "--json", dir.File("a.bin")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out, "");
}

}  // namespace
