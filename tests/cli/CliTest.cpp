// mendrix-cli run as a program: output, messages and exit status.
#include "tests/support/RunProgram.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace testsupport;

namespace {

RunResult Cli(const std::vector<std::string>& args, const std::string& input = "")
{
    return Run(MENDRIX_CLI, args, input);
}

class Cli_ : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(Cli_, InfoPrintsTheLinesAsUtf8WithControlBytesHidden)
{
    // The path is the system's UTF-8 and stays so; the patch's own texts are Windows-1252.
    const std::string name = "\xC3\x9C" "bersetzung \xE3\x83\x87\xE3\x82\xA3\xE3\x82\xB9\xE3\x82\xAF.kdx";
    PatchLayout layout;
    layout.version = 3;
    layout.description = "Caf\xE9 \x01 fix";
    layout.diz = "line one\r\nline two\r\n";
    layout.records = {{0, {1}, {}}};
    WriteFile(dir.File(name), BuildPatch(layout));
    const RunResult r = Cli({"info", dir.File(name)});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const std::string expected = "Filename       : " + dir.File(name) +
                                 "\n"
                                 "Filelength     : 126 Bytes\n"
                                 "Enc. Method    : 2 (KDX3.0)\n"
                                 "Undo Data      : Nope\n"
                                 "Blockcheck     : Disabled  \n"
                                 "Imagetype      : Normal Image \n"
                                 "Description    : Caf\xC3\xA9 ? fix\n"
                                 "KDX Patchdata  : 10 Bytes\n"
                                 "File_ID.diz    : Yes, showing ...\n"
                                 "\n"
                                 "line one\n"
                                 "line two\n"
                                 "\n";
    EXPECT_EQ(r.out, expected);
}

TEST_F(Cli_, InfoDecodesBytes0x80To0x9FAsWindows1252AndItsFiveGapsAsQuestionMarks)
{
    PatchLayout layout;
    layout.version = 3;
    for (int b = 0x80; b <= 0x9F; ++b) layout.description += static_cast<char>(b);
    layout.records = {{0, {1}, {}}};
    WriteFile(dir.File("p.kdx"), BuildPatch(layout));
    const RunResult r = Cli({"info", dir.File("p.kdx")});
    EXPECT_NE(r.out.find("\nDescription    : €?‚ƒ„…†‡ˆ‰Š‹Œ?Ž??‘’“”•–—˜™š›œ?žŸ\n"), std::string::npos) << r.out;
}

TEST_F(Cli_, InfoRefusalsGoToStandardErrorWithStatus1)
{
    WriteFile(dir.File("bad.kdx"), Text("MZ\x90"));
    RunResult r = Cli({"info", dir.File("bad.kdx")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Warning: This file is no valid kdx file (" + dir.File("bad.kdx") + ")\n");

    WriteFile(dir.File("m9.kdx"), Bytes{'K', 'D', 'X', '9', '0', 9});
    r = Cli({"info", dir.File("m9.kdx")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Warning: This kdx patch has a unknown encoding method\n(" + dir.File("m9.kdx") +
                         ")\n\nCheck our website to get the recent version of mendrix\n");
}

TEST_F(Cli_, ApplyWritesAndAnswersQuestionsByFlagOrNo)
{
    PatchLayout layout;
    layout.version = 2;
    layout.imageSize = 999;
    layout.records = {{1, {7}, {}}};
    WriteFile(dir.File("p.kdx"), BuildPatch(layout));
    WriteFile(dir.File("d.iso"), Bytes(4, 0));

    // Standard input is no terminal: the question is answered No.
    RunResult r = Cli({"apply", dir.File("p.kdx"), dir.File("d.iso")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Warning: The size of the image file is incorrect, continue ? [y/N] no\n");
    EXPECT_EQ(ReadFile(dir.File("d.iso")), Bytes(4, 0));

    r = Cli({"apply", "--yes", dir.File("p.kdx"), dir.File("d.iso")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "Warning: The size of the image file is incorrect, continue ? yes\n"
              "Warning: Binblock/Patchvalidation failed. Continue ? yes\n"
              "Information: Patch successfully applied, burn image to CD now!\n");
    EXPECT_EQ(ReadFile(dir.File("d.iso")), (Bytes{0, 7, 0, 0}));
}

TEST_F(Cli_, ApplyUndoTakesAVersion3PatchBackOut)
{
    PatchLayout layout;
    layout.version = 3;
    layout.undoFlag = 1;
    layout.records = {{0, {9, 9}, {1, 2}}};
    WriteFile(dir.File("p.kdx"), BuildPatch(layout));
    WriteFile(dir.File("d.bin"), Bytes{1, 2, 3});
    const std::string applied = "Information: Patch successfully applied, burn image to CD now!\n";
    const std::string undone = "Information: Patch successfully taken back out of the image\n";
    // Each way in, then the image as it must be after it.
    const struct {
        std::vector<std::string> command;
        std::string err;
        Bytes image;
    } steps[] = {
        {{"apply"}, applied, {9, 9, 3}},
        {{"apply", "--undo"}, undone, {1, 2, 3}},
        {{"apply", "-q"}, applied, {9, 9, 3}},
        {{"undo"}, undone, {1, 2, 3}},
    };
    for (const auto& step : steps) {
        std::vector<std::string> args = step.command;
        args.push_back(dir.File("p.kdx"));
        args.push_back(dir.File("d.bin"));
        const RunResult r = Cli(args);
        EXPECT_EQ(r.status, 0) << args[1];
        EXPECT_EQ(r.err, step.err) << args[1];
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(ReadFile(dir.File("d.bin")), step.image) << args[1];
    }
}

TEST_F(Cli_, AFileThatCannotBeOpenedIsNamedWithTheReason)
{
    PatchLayout layout;
    layout.version = 3;
    layout.undoFlag = 1;
    layout.records = {{0, {9}, {1}}};
    const std::string patch = dir.File("p.kdx"), image = dir.File("d.bin"), missing = dir.File("none"),
                      folder = dir.Path().string();
    WriteFile(patch, BuildPatch(layout));
    WriteFile(image, Bytes{1, 2});
    const auto kdx = [](const std::string& path, const std::string& why) {
        return "Error: Can't open kdx (" + path + ")\n(" + why + ")\n";
    };
    const auto img = [](const std::string& path, const std::string& why) {
        return "Error: Can't open the specified image file ...\n(" + path + ")\n(" + why + ")\n";
    };
    const std::string gone = "No such file or directory", isFolder = "Is a directory";
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"info", missing}, kdx(missing, gone)},
        {{"info", "--json", folder}, kdx(folder, isFolder)},
        {{"check", missing, image}, kdx(missing, gone)},
        {{"check", patch, missing}, img(missing, gone)},
        {{"check", patch, folder}, img(folder, isFolder)},
        {{"sectors", missing}, img(missing, gone)},
        {{"sectors", "--fix", "--yes", folder}, img(folder, isFolder)},
        {{"apply", folder, image}, kdx(folder, isFolder)},
        {{"apply", patch, missing}, img(missing, gone)},
        {{"undo", missing, image}, kdx(missing, gone)},
        {{"undo", "--yes", patch, folder}, img(folder, isFolder)},
    };
    for (const auto& c : cases) {
        const RunResult r = Cli(c.args);
        EXPECT_EQ(r.err, c.err) << c.args[0] << " " << c.args[1];
        EXPECT_EQ(r.out, "") << c.args[0];
        EXPECT_EQ(r.status, 1) << c.args[0];
    }
    EXPECT_EQ(ReadFile(image), (Bytes{1, 2}));
}

TEST_F(Cli_, InfoOnAPatchWhoseRecordsFailSaysSoAndStillListsIt)
{
    const auto v3 = [](std::vector<Rec> records) {
        PatchLayout layout;
        layout.version = 3;
        layout.records = std::move(records);
        return BuildPatch(layout);
    };
    PatchLayout v1;
    v1.records = {{0, {1, 2}, {}}, {4, {3}, {}}};
    Bytes cut = BuildPatch(v1);
    cut.pop_back();
    const struct {
        const char* name;
        Bytes patch;
        std::string last;  // the listing's last line; empty: the records fit and no line says so
    } cases[] = {
        {"sound", v3({{0, {1}, {}}, {9, {2}, {}}}), ""},
        {"cut", cut, "Records        : failed (record 2 is damaged: the records do not fit the patch data)"},
        {"negative", v3({{0, {1}, {}}, {-1, {2}, {}}}),
         "Records        : failed (record 2 writes at a negative offset, outside of the image)"},
        {"beyond", v3({{INT64_MAX - 2, {1, 2, 3, 4}, {}}}),
         "Records        : failed (record 1 writes past the largest position a file can have)"},
    };
    for (const auto& c : cases) {
        const std::string path = dir.File(std::string(c.name) + ".kdx");
        WriteFile(path, c.patch);
        const RunResult r = Cli({"info", path});
        EXPECT_EQ(r.status, 0) << c.name;
        EXPECT_EQ(r.err, "") << c.name;
        const std::size_t records = r.out.find("Records");
        if (c.last.empty()) {
            EXPECT_EQ(records, std::string::npos) << r.out;
            continue;
        }
        // After every line of the memo, the last line.
        EXPECT_NE(r.out.find("KDX Patchdata  : "), std::string::npos) << c.name;
        EXPECT_EQ(r.out.substr(records == std::string::npos ? 0 : records), c.last + "\n") << c.name;
    }
}

TEST_F(Cli_, UsageErrorsSayWhatIsWrongFirstWithStatus2)
{
    const std::string commands = "; the commands are info, check, apply, undo, make, sectors and merge.";
    const struct {
        std::vector<std::string> args;
        std::string first;  // the first line on standard error; the help follows
    } cases[] = {
        {{"bogus"}, "Unknown command \"bogus\"" + commands},
        {{"Info", "p.kdx"}, "Unknown command \"Info\"" + commands},
        {{"bogus", "info"}, "Unknown command \"bogus\"" + commands},
        {{}, "A subcommand is required"},
        {{"info"}, "PATCH is required"},
        {{"make", "a", "b"}, "--output is required"},
    };
    for (const auto& c : cases) {
        const RunResult r = Cli(c.args);
        EXPECT_EQ(r.status, 2) << c.first;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.first);
        EXPECT_NE(r.err.find("\n\n"), std::string::npos);
        EXPECT_NE(r.err.find("\nUsage: mendrix-cli "), std::string::npos) << r.err;
    }
}

TEST_F(Cli_, APathThatStartsWithASlashIsAPathOnEverySystem)
{
    PatchLayout layout;
    layout.records = {{0, {1}, {}}};
    WriteFile(dir.File("p.kdx"), BuildPatch(layout));
    // A made-up path from the root, and a real one written with forward slashes.
    RunResult r = Cli({"info", "/no/such/folder/p.kdx"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error: Can't open kdx (/no/such/folder/p.kdx)\n(No such file or directory)\n");
    r = Cli({"info", "/json"});
    EXPECT_EQ(r.err, "Error: Can't open kdx (/json)\n(No such file or directory)\n");
    // Windows' temporary folder starts with a drive; cli-parity hands mendrix-cli.exe such a path.
    const std::string slashed = dir.File("p.kdx");
    if (slashed.front() != '/') return;
    r = Cli({"info", slashed});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "Filename       : " + slashed);
}

TEST_F(Cli_, MakeHelpNamesTheDizArgumentAFile)
{
    const RunResult r = Cli({"make", "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\n  --diz FILE                  attach this file as FILE_ID.DIZ (versions 2 and 3)\n"),
              std::string::npos)
        << r.out;
}

TEST_F(Cli_, WrongUsageExitsWith2AndHelpWith0)
{
    RunResult r = Cli({});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("Usage"), std::string::npos);
    r = Cli({"apply", "--yes", "--no", "a", "b"});
    EXPECT_EQ(r.status, 2);
    r = Cli({"frobnicate"});
    EXPECT_EQ(r.status, 2);
    r = Cli({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("apply"), std::string::npos);
}

}  // namespace
