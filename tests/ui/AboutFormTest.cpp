// The About window's handlers through the fake backend.
#include "tests/ui/FormFixture.h"

#include "ui/Guide.h"

#include <filesystem>

using platform::Outcome;
using namespace uitest;

namespace {

class AboutForm : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        frmAboutWindow.SetBounds({0, 0, 325, 215});
    }
    platform::Bounds ShowAbout()
    {
        EXPECT_EQ(Run([&] { frmMain.btnAboutClick(); }), Outcome::Completed);
        const platform::Bounds at = frmAboutWindow.BoundsRect();
        EXPECT_EQ(Run([&] { frmAbout.aboutImageClick(); }), Outcome::Completed);
        return at;
    }
};

TEST_F(AboutForm, FirstShowingIsCentredOverTheMainWindowLaterOnesBesideIt)
{
    frmMainWindow.SetBounds({100, 50, 416, 374});
    platform::Bounds at = ShowAbout();
    EXPECT_EQ(at.left, 145);
    EXPECT_EQ(at.top, 129);

    frmMainWindow.SetBounds({300, 200, 416, 374});  // the user moved the main window
    at = ShowAbout();
    EXPECT_EQ(at.left, 350);
    EXPECT_EQ(at.top, 280);
    EXPECT_EQ(frmAboutWindow.ModalShowings(), 2);
}

TEST_F(AboutForm, CentringRoundsHalvesTowardZeroAndStaysOnTheScreen)
{
    frmMainWindow.SetBounds({100, 100, 300, 200});  // smaller than the About window
    platform::Bounds at = ShowAbout();
    EXPECT_EQ(at.left, 88);  // 100 + (-25 / 2), not 100 - 13
    EXPECT_EQ(at.top, 93);   // 100 + (-15 / 2)
}

TEST(AboutPlacement, CentringIsRaisedToZeroWhenTheMainWindowIsOffTheScreen)
{
    platform::fake::FakeServices services;
    platform::Form main;
    platform::Form about;
    platform::Label label;
    about.SetBounds({0, 0, 325, 215});
    main.SetBounds({-200, -100, 416, 374});
    ui::TfrmAbout form({about, label}, main);
    form.ShowModal();
    EXPECT_EQ(about.BoundsRect().left, 0);
    EXPECT_EQ(about.BoundsRect().top, 0);
}

TEST_F(AboutForm, PictureClickClosesTheWindow)
{
    ASSERT_EQ(Run([&] { frmMain.btnAboutClick(); }), Outcome::Completed);
    EXPECT_TRUE(frmAboutWindow.Visible());
    EXPECT_EQ(Run([&] { frmAbout.aboutImageClick(); }), Outcome::Completed);
    EXPECT_FALSE(frmAboutWindow.Visible());
    EXPECT_EQ(frmAboutWindow.Closes(), 1);
}

TEST_F(AboutForm, LabelTurnsBlueUnderlinedOverItAndBlackPlainOverThePicture)
{
    EXPECT_EQ(lblWeb.FontColor(), platform::clWindowText);
    EXPECT_EQ(Run([&] { frmAbout.lblWebMouseMove(); }), Outcome::Completed);
    EXPECT_EQ(lblWeb.FontColor(), 0xFF0000u);
    EXPECT_TRUE(lblWeb.Underlined());
    EXPECT_EQ(Run([&] { frmAbout.aboutImageMouseMove(); }), Outcome::Completed);
    EXPECT_EQ(lblWeb.FontColor(), 0x000000u);
    EXPECT_FALSE(lblWeb.Underlined());
}

TEST_F(AboutForm, LabelClickOpensTheGuideInstalledWithTheProgramAndKeepsTheWindowOpen)
{
    EXPECT_EQ(lblWeb.Text(), "README.md");
    ASSERT_EQ(Run([&] { frmMain.btnAboutClick(); }), Outcome::Completed);
    EXPECT_EQ(Run([&] { frmAbout.lblWebMouseMove(); }), Outcome::Completed);
    EXPECT_EQ(Run([&] { frmAbout.lblWebClick(); }), Outcome::Completed);
    EXPECT_EQ(ui.documents, std::vector<std::string>{"/opt/mendrix/share/doc/mendrix/README.md"});
    EXPECT_TRUE(frmAboutWindow.Visible());
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(lblWeb.Underlined());  // the look is the mouse's alone
}

TEST_F(AboutForm, AGuideThatCannotBeShownIsAnErrorBoxAndTheWindowStays)
{
    ui.documentFailure = "No such file or directory";
    ASSERT_EQ(Run([&] { frmMain.btnAboutClick(); }), Outcome::Completed);
    EXPECT_EQ(Run([&] { frmAbout.lblWebClick(); }), Outcome::Completed);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              "Can't open the guide (No such file or directory) ...\r(/opt/mendrix/share/doc/mendrix/README.md)");
    EXPECT_EQ(ui.boxes[0].type, platform::MsgDlgType::mtError);
    EXPECT_EQ(ui.boxes[0].buttons, platform::MsgDlgButtons::mbOK);
    EXPECT_EQ(ui.boxes[0].caption, "Error");
    EXPECT_TRUE(frmAboutWindow.Visible());
    EXPECT_EQ(frmAboutWindow.Closes(), 0);
}

TEST_F(AboutForm, RunFromTheBuildTreeTheLabelOpensTheSourceTreesReadme)
{
    // This test program lies in the build's program folder, beside mendrix.
    const auto folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    platform::SetCommandLine((folder / "mendrix").string(), {});
    platform::Label label;
    ui::TfrmAbout about({frmAboutWindow, label}, frmMainWindow);
    EXPECT_EQ(label.Text(), "README.md");
    EXPECT_EQ(Run([&] { about.lblWebClick(); }), Outcome::Completed);
    EXPECT_EQ(ui.documents, std::vector<std::string>{std::string(MENDRIX_TEST_SOURCE_ROOT) + "/README.md"});
}

TEST(Guide, IsFoundFromTheProgramsFolder)
{
    const struct {
        const char* program;
        const char* relative;
        const char* guide;
    } table[] = {
        {"/usr/bin/mendrix", "../share/doc/mendrix/README.md", "/usr/share/doc/mendrix/README.md"},
        {"/home/ann/.local/bin/mendrix", "../share/doc/mendrix/README.md",
         "/home/ann/.local/share/doc/mendrix/README.md"},
        {"/opt/m x/bin/mendrix", "README.txt", "/opt/m x/bin/README.txt"},
        {"/usr/bin/mendrix", "../../../../x/README.md", "/x/README.md"},  // no climbing past the root
        {"mendrix", "../share/doc/mendrix/README.md", "../share/doc/mendrix/README.md"},
        {"/a\\b/mendrix", "README.txt", "/a\\b/README.txt"},  // a backslash is a letter here
    };
    for (const auto& row : table) EXPECT_EQ(ui::Beside(row.program, row.relative), row.guide) << row.program;
    // Installed anywhere, the program finds the guide its prefix holds.
    EXPECT_EQ(ui::GuidePath("/usr/local/bin/mendrix"), "/usr/local/share/doc/mendrix/README.md");
    EXPECT_EQ(ui::GuideCaption("/usr/local/share/doc/mendrix/README.md"), "README.md");
    EXPECT_EQ(ui::GuideCaption("README.md"), "README.md");
}

}  // namespace
