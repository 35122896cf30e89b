// The About window's handlers through the fake backend.
#include "tests/ui/FormFixture.h"

#include "ui/Homepage.h"

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

TEST_F(AboutForm, LabelClickOpensTheInstalledReadmeAndKeepsTheWindowOpen)
{
    EXPECT_EQ(lblWeb.Text(), "README.md");
    ASSERT_EQ(Run([&] { frmMain.btnAboutClick(); }), Outcome::Completed);
    EXPECT_EQ(Run([&] { frmAbout.lblWebClick(); }), Outcome::Completed);
    ASSERT_EQ(ui.urls.size(), 1u);
    EXPECT_TRUE(ui.urls[0].starts_with("file:///")) << ui.urls[0];
    EXPECT_TRUE(ui.urls[0].ends_with("/share/doc/mendrix/README.md")) << ui.urls[0];
    EXPECT_TRUE(frmAboutWindow.Visible());
    EXPECT_TRUE(ui.boxes.empty());
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
    const auto sourceRoot = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
    EXPECT_EQ(ui.urls, std::vector<std::string>{"file://" + (sourceRoot / "README.md").string()});
}

TEST(AddressCaption, IsAFilesNameOrAnAddressWithoutItsScheme)
{
    const std::pair<const char*, const char*> table[] = {
        {"file:///usr/local/share/doc/mendrix/README.md", "README.md"},
        {"https://mendrix.example.net/docs", "mendrix.example.net/docs"},
        {"www.example.org", "www.example.org"},
    };
    for (const auto& [address, caption] : table) EXPECT_EQ(ui::AddressCaption(address), caption) << address;
}

}  // namespace
