// mendrix-cli run as a program: output, messages and exit status.
#include "tests/support/RunProgram.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(Cli({"apply", dir.File("p.kdx"), dir.File("d.bin")}).status, 0);
    EXPECT_EQ(ReadFile(dir.File("d.bin")), (Bytes{9, 9, 3}));
    EXPECT_EQ(Cli({"apply", "--undo", dir.File("p.kdx"), dir.File("d.bin")}).status, 0);
    EXPECT_EQ(ReadFile(dir.File("d.bin")), (Bytes{1, 2, 3}));
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
