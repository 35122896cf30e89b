// The main window's handlers through the fake backend.
#include "tests/ui/FormFixture.h"

#include "commands/Messages.h"

#include <filesystem>
#include <fstream>
#include <sstream>

using platform::ModalResult;
using platform::MsgDlgButtons;
using platform::MsgDlgType;
using platform::Outcome;
using namespace uitest;

namespace {

class MainForm : public FormTest {};

enum class Sorted { Image, Patch, Nothing };

struct DropCase {
    std::vector<std::string> names;  // inside the test folder unless absolute
    Sorted expect;
    std::vector<std::string> patches = {};  // names to create as real patches
};

TEST_F(MainForm, DropsAreSortedByTheLastNamesExtension)
{
    std::filesystem::create_directories(dir.Path() / "my.images");
    std::vector<DropCase> cases = {
        {{"a.kdx", "b.kdx", "c.bin"}, Sorted::Image, {"a.kdx", "b.kdx"}},
        {{"x.bin", "y.iso", "fix.kdx"}, Sorted::Patch, {"fix.kdx"}},
        {{"GAME.BIN"}, Sorted::Image},
        {{"Disc.Iso"}, Sorted::Image},
        {{"fix.KDX"}, Sorted::Patch, {"fix.KDX"}},
        {{"fix.kdx.bin"}, Sorted::Image},
        {{"disc.bin.kdx"}, Sorted::Patch, {"disc.bin.kdx"}},
        {{"my.images/disc"}, Sorted::Nothing},
        {{"disc"}, Sorted::Nothing},
        {{"disc."}, Sorted::Nothing},
        {{"disc.raw"}, Sorted::Nothing},
        {{"disc.cue"}, Sorted::Image},
        {{"Game (Track 1).CUE"}, Sorted::Image},
        {{"disc.cue.txt"}, Sorted::Nothing},
        {{"disc.kdx2"}, Sorted::Nothing},
        {{"C:\\my.images\\disc"}, Sorted::Nothing},
        {{"C:\\Images\\DISC.NRG"}, Sorted::Image},
        {{"stream.bin:part"}, Sorted::Nothing},
        {{}, Sorted::Nothing},
    };
    // Written out, not taken from the program's own list: a lost entry must show.
    for (const char* name : {"disc.BIN", "disc.GI", "disc.NRG", "disc.ISO", "disc.IMG", "disc.C2D", "disc.DAO",
                             "disc.CIF", "disc.GCD", "disc.P01", "disc.TAO", "disc.gcd"})
        cases.push_back({{name}, Sorted::Image});

    for (const DropCase& c : cases) {
        std::vector<std::string> names;
        for (const std::string& name : c.names) names.push_back(name.find('\\') != std::string::npos ? name : dir.File(name));
        SCOPED_TRACE(names.empty() ? "(empty drop)" : names.back());
        for (const std::string& patch : c.patches) Patch(patch);
        edtImage.SetText("before.bin");
        edtKDX.Clear();
        infMemo.Clear();
        ui.boxes.clear();

        EXPECT_EQ(Run([&] { frmMain.HandleDropFiles(names); }), Outcome::Completed);
        EXPECT_TRUE(ui.boxes.empty()) << (ui.boxes.empty() ? "" : ui.boxes.front().text);
        switch (c.expect) {
        case Sorted::Image:
            EXPECT_EQ(edtImage.Text(), names.back());
            EXPECT_EQ(edtKDX.Text(), "");
            break;
        case Sorted::Patch:
            EXPECT_EQ(edtKDX.Text(), names.back());
            EXPECT_FALSE(infMemo.Lines().empty());
            EXPECT_EQ(edtImage.Text(), "before.bin");
            break;
        case Sorted::Nothing:
            EXPECT_EQ(edtImage.Text(), "before.bin");
            EXPECT_EQ(edtKDX.Text(), "");
            EXPECT_TRUE(infMemo.Lines().empty());
            break;
        }
    }
}

TEST_F(MainForm, DropExtensionLowersOnlyAsciiLetters)
{
    EXPECT_EQ(ui::DropExtension("/a/B.\xC4X"), ".\xC4x");
    EXPECT_EQ(ui::DropExtension("/a.b/c"), "");
    EXPECT_EQ(ui::DropExtension("name.tar.GZ"), ".gz");
    // ":" ends a drive or a stream name: a dot before it starts no extension.
    EXPECT_EQ(ui::DropExtension("C:disc.ISO"), ".iso");
    EXPECT_EQ(ui::DropExtension("disc.iso:x"), "");
    EXPECT_EQ(ui::DropExtension("a.b:c.Gi"), ".gi");
}

TEST_F(MainForm, ADroppedPatchThatFailsToLoadIsReportedByTheLoad)
{
    const std::string image = dir.File("notapatch.kdx");
    testsupport::WriteFile(image, testsupport::Bytes(64, 0));
    EXPECT_EQ(Run([&] { frmMain.HandleDropFiles({image}); }), Outcome::Aborted);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"This file is no valid kdx file (" + image + ")"});
}

TEST_F(MainForm, FormCreateKeepsTheProgramPathAddsTheEntryAndTakesDrops)
{
    platform::SetCommandLine("/usr/local/bin/mendrix", {"fix.kdx"});
    ASSERT_EQ(Run([&] { frmMain.FormCreate(); }), Outcome::Completed);
    EXPECT_EQ(frmMain.ExePath(), "/usr/local/bin/mendrix");
    ASSERT_EQ(frmMainWindow.SystemMenu().size(), 1u);
    EXPECT_EQ(frmMainWindow.SystemMenu()[0].first, "&Associate 'kdx' files");
    EXPECT_EQ(frmMainWindow.SystemMenu()[0].second, 0xF200u);
    EXPECT_TRUE(frmMainWindow.AcceptsFiles());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MainForm, FormShowLoadsTheFirstArgumentOnly)
{
    const std::string first = Patch("first.kdx");
    const std::string second = Patch("second.kdx");
    platform::SetCommandLine("/opt/mendrix", {first, second});
    EXPECT_EQ(Run([&] { frmMain.FormShow(); }), Outcome::Completed);
    EXPECT_EQ(edtKDX.Text(), first);
    EXPECT_EQ(infMemo.Lines().front(), "Filename       : " + first);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MainForm, FormShowWithoutAnArgumentOrWithAnEmptyOneLoadsNothing)
{
    for (const std::vector<std::string>& args : {std::vector<std::string>{}, std::vector<std::string>{"", "x.kdx"}}) {
        platform::SetCommandLine("/opt/mendrix", args);
        EXPECT_EQ(Run([&] { frmMain.FormShow(); }), Outcome::Completed);
        EXPECT_EQ(edtKDX.Text(), "");
        EXPECT_TRUE(infMemo.Lines().empty());
        EXPECT_TRUE(ui.boxes.empty());
    }
}

TEST_F(MainForm, FormShowHandsAnImageToTheLoadWhichRefusesIt)
{
    const std::string image = dir.File("disc.bin");
    testsupport::WriteFile(image, testsupport::Bytes(2048, 0));
    platform::SetCommandLine("/opt/mendrix", {image});
    EXPECT_EQ(Run([&] { frmMain.FormShow(); }), Outcome::Aborted);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"This file is no valid kdx file (" + image + ")"});
    EXPECT_EQ(edtKDX.Text(), "");
}

TEST_F(MainForm, ImageBrowseSetsTheChosenPathAndACancelChangesNothing)
{
    ui.dialogAnswers = {{"/images/one.bin", 1}, {"/images/two.IMG", 2}, {std::nullopt, 1}};
    for (int i = 0; i < 3; ++i) ASSERT_EQ(Run([&] { frmMain.btnImageClick(); }), Outcome::Completed);
    EXPECT_EQ(edtImage.Text(), "/images/two.IMG");  // replaced, then kept by the cancel
    ASSERT_EQ(ui.dialogs.size(), 3u);
    EXPECT_EQ(ui.dialogs[0].title, "Open CD-Image...");
    EXPECT_EQ(ui.dialogs[0].filter,
              "CD Images|*.bin;*.gi;*.nrg;*.iso;*.img;*.C2D;*.DAO;*.CIF;*.GCD;*.P01;*.TAO|All Files (*.*)|*.*");
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MainForm, PatchBrowseLoadsTheChosenPatchAndACancelChangesNothing)
{
    const std::string patch = Patch("fix.bin");  // any name, through "All Files"
    ui.dialogAnswers = {{patch, 2}, {std::nullopt, 1}};
    ASSERT_EQ(Run([&] { frmMain.btnKDXClick(); }), Outcome::Completed);
    EXPECT_EQ(edtKDX.Text(), patch);
    const platform::InfoLines lines = infMemo.Lines();
    ASSERT_EQ(Run([&] { frmMain.btnKDXClick(); }), Outcome::Completed);
    EXPECT_EQ(edtKDX.Text(), patch);
    EXPECT_EQ(infMemo.Lines(), lines);
    ASSERT_EQ(ui.dialogs.size(), 2u);
    EXPECT_EQ(ui.dialogs[1].title, "Open KDX-File");
    EXPECT_EQ(ui.dialogs[1].filter, "KDX-Files (*.kdx)|*.kdx|All Files (*.*)|*.*");
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MainForm, QuitAskedAndAnsweredNoKeepsEverything)
{
    edtImage.SetText("disc.bin");
    edtKDX.SetText("fix.kdx");
    ui.answers = {ModalResult::mrNo};
    EXPECT_EQ(Run([&] { frmMain.btnCloseClick(); }), Outcome::Aborted);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Do you really want to quit?");
    EXPECT_EQ(ui.boxes[0].type, MsgDlgType::mtConfirmation);
    EXPECT_EQ(ui.boxes[0].buttons, MsgDlgButtons::mbYesNo);
    EXPECT_EQ(ui.boxes[0].caption, "Confirm");
    EXPECT_EQ(frmMainWindow.Closes(), 0);
    EXPECT_EQ(edtImage.Text(), "disc.bin");
    EXPECT_EQ(edtKDX.Text(), "fix.kdx");
}

TEST_F(MainForm, QuitAnsweredYesOrClosedWithoutAnswerClosesTheWindow)
{
    ui.answers = {ModalResult::mrYes, ModalResult::mrNone};
    EXPECT_EQ(Run([&] { frmMain.btnCloseClick(); }), Outcome::Completed);
    EXPECT_EQ(Run([&] { frmMain.btnCloseClick(); }), Outcome::Completed);
    EXPECT_EQ(frmMainWindow.Closes(), 2);
}

TEST_F(MainForm, QuitDuringAnApplyIsRefusedAndTheApplyGoesOn)
{
    const std::string image = dir.File("disc.bin");
    testsupport::WriteFile(image, testsupport::Bytes(64, 0));
    testsupport::PatchLayout layout;
    for (int i = 0; i < 8; ++i) layout.records.push_back({i * 4, {0x11, 0x22}, {}});
    const std::string patch = dir.File("fix.kdx");
    testsupport::WriteFile(patch, testsupport::BuildPatch(layout));
    ASSERT_EQ(Run([&] { frmMain.LoadPatch(patch); }), Outcome::Completed);
    edtImage.SetText(image);

    bool nestedWhilePatching = false;
    Outcome nested = Outcome::Completed;
    ui.onPump = [&](int pump) {
        if (pump != 1) return;
        nestedWhilePatching = frmMain.Patching();
        nested = Run([&] { frmMain.btnCloseClick(); });
    };
    EXPECT_EQ(Run([&] { frmMain.btnApplyClick(); }), Outcome::Completed);
    EXPECT_TRUE(nestedWhilePatching);
    EXPECT_EQ(nested, Outcome::Aborted);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Still patching image, you can't quit now!",
                                                    "Patch successfully applied, burn image to CD now!"}));
    EXPECT_EQ(ui.boxes[0].type, MsgDlgType::mtWarning);
    EXPECT_EQ(frmMainWindow.Closes(), 0);
    EXPECT_EQ(testsupport::ReadFile(image)[28], 0x11);  // the last record was written
    EXPECT_EQ(frmMainWindow.Caption(), "::[: MENDRIX v3.0 :]::");
}

TEST_F(MainForm, SystemCommandAssociatesKdxFilesThenConfirms)
{
    Environment env;
    env.Set("XDG_DATA_HOME", (dir.Path() / "data").string());
    env.Set("XDG_CONFIG_HOME", (dir.Path() / "config").string());
    env.Set("XDG_CURRENT_DESKTOP", "GNOME");
    env.Set("GIO_USE_VFS", "local");
    platform::SetCommandLine("/opt/mendrix/bin/mendrix", {});
    ASSERT_EQ(Run([&] { frmMain.FormCreate(); }), Outcome::Completed);

    // Other commands, also ones that equal the entry in their low 16 bits, do nothing.
    for (const std::uint32_t other : {0xF020u, 0xF060u, 0xF201u, 0x1F200u})
        EXPECT_EQ(Run([&] { frmMain.HandleSysCommand(other); }), Outcome::Completed);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "data"));

    for (int time = 0; time < 2; ++time)
        EXPECT_EQ(Run([&] { frmMain.HandleSysCommand(ui::AssociateCommand); }), Outcome::Completed);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>(2, "Associated 'kdx' filetypes with mendrix v3.0")));
    EXPECT_EQ(ui.boxes[0].type, MsgDlgType::mtInformation);
    std::ifstream entry(dir.Path() / "data" / "applications" / "mendrix.desktop");
    std::stringstream content;
    content << entry.rdbuf();
    EXPECT_NE(content.str().find("/opt/mendrix/bin/mendrix"), std::string::npos);
}

TEST_F(MainForm, AFailedAssociationGoesToTheGeneralErrorBoxWithoutConfirmation)
{
    Environment env;
    const std::string blocked = dir.File("data");
    testsupport::WriteFile(blocked, testsupport::Bytes(1, 0));  // a file where a folder must go
    env.Set("XDG_DATA_HOME", blocked);
    env.Set("XDG_CONFIG_HOME", (dir.Path() / "config").string());
    ASSERT_EQ(Run([&] { frmMain.FormCreate(); }), Outcome::Completed);
    EXPECT_EQ(Run([&] { frmMain.HandleSysCommand(ui::AssociateCommand); }), Outcome::Failed);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "::[ MENDRIX v3.0 ]::");
    // ")" sorts before ".": no full stop is added.
    EXPECT_EQ(ui.boxes[0].text, "Can't create " + blocked + "/mime/packages (Not a directory)");
}

TEST_F(MainForm, AboutShowsTheAboutWindowModally)
{
    frmMainWindow.SetBounds({10, 20, 416, 374});
    frmAboutWindow.SetBounds({0, 0, 325, 215});
    EXPECT_EQ(Run([&] { frmMain.btnAboutClick(); }), Outcome::Completed);
    EXPECT_EQ(frmAboutWindow.ModalShowings(), 1);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MainForm, ApplyWritesThePatchAndResetsTheWindow)
{
    const std::string image = dir.File("disc.bin");
    testsupport::WriteFile(image, testsupport::Bytes(16, 0));
    ASSERT_EQ(Run([&] { frmMain.LoadPatch(Patch("fix.kdx")); }), Outcome::Completed);
    edtImage.SetText(image);
    EXPECT_EQ(Run([&] { frmMain.btnApplyClick(); }), Outcome::Completed);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Patch successfully applied, burn image to CD now!"});
    EXPECT_EQ(testsupport::ReadFile(image)[4], 0xAA);
    EXPECT_EQ(edtImage.Text(), "");
    EXPECT_EQ(edtKDX.Text(), "");
}

}  // namespace
