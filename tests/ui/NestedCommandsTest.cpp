// The window's commands run nested inside an apply (its pump lets them in):
// each is refused or harmless, and the apply still writes every record,
// whether the command comes at the first record, in the middle or at the last.
#include "tests/ui/FormFixture.h"


using platform::Outcome;
using testsupport::Bytes;

namespace {

constexpr int kRecords = 8;

class NestedCommands : public uitest::FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        image = dir.File("disc.bin");
        otherImage = dir.File("other.iso");
        otherPatch = Patch("other.kdx");
        testsupport::WriteFile(image, Bytes(64, 0));
        testsupport::WriteFile(otherImage, Bytes(64, 0x77));
        testsupport::PatchLayout layout;
        for (int i = 0; i < kRecords; ++i) layout.records.push_back({i * 8, {0x11, 0x22, 0x33}, {}});
        patch = dir.File("fix.kdx");
        testsupport::WriteFile(patch, testsupport::BuildPatch(layout));
        expected = Bytes(64, 0);
        for (int i = 0; i < kRecords; ++i) {
            expected[i * 8] = 0x11;
            expected[i * 8 + 1] = 0x22;
            expected[i * 8 + 2] = 0x33;
        }
    }
    std::string image, otherImage, patch, otherPatch;
    Bytes expected;
};

TEST_F(NestedCommands, AreRefusedOrHarmlessAndTheApplyWritesEveryRecord)
{
    const struct {
        std::string name;
        std::function<void()> command;
        Outcome outcome;
        std::vector<std::string> boxes;
        std::size_t dialogs = 0;  // browse dialogs shown
    } cases[] = {
        {"dropped image", [this] { frmMain.HandleDropFiles({otherImage}); }, Outcome::Completed, {}},
        {"dropped patch", [this] { frmMain.HandleDropFiles({otherPatch}); }, Outcome::Aborted,
         {"Still patching image, you can't load a patch now!"}},
        {"image browse",
         [this] {
             ui.dialogAnswers = {{otherImage, 1}};
             frmMain.btnImageClick();
         },
         Outcome::Completed, {}, 1},
        // Refused before its dialog opens: the user chooses nothing in vain.
        {"patch browse",
         [this] {
             ui.dialogAnswers = {{otherPatch, 1}};
             frmMain.btnKDXClick();
         },
         Outcome::Aborted, {"Still patching image, you can't load a patch now!"}},
        {"Apply", [this] { frmMain.btnApplyClick(); }, Outcome::Aborted,
         {"Still patching image, you can't apply again now!"}},
        {"Quit", [this] { frmMain.btnCloseClick(); }, Outcome::Aborted,
         {"Still patching image, you can't quit now!"}},
        {"About", [this] { frmMain.btnAboutClick(); }, Outcome::Completed, {}},
        // Asks nothing; the window closes once the apply has ended.
        {"title-bar close", [this] { EXPECT_FALSE(frmMain.FormCloseQuery()); }, Outcome::Completed, {}},
    };
    for (const auto& c : cases) {
        for (const int at : {1, kRecords / 2, kRecords}) {
            SCOPED_TRACE(c.name + " at record " + std::to_string(at));
            testsupport::WriteFile(image, Bytes(64, 0));
            ui.boxes.clear();
            ui.dialogs.clear();
            ASSERT_EQ(Run([&] { frmMain.LoadPatch(patch); }), Outcome::Completed);
            edtImage.SetText(image);

            Outcome nested = Outcome::Failed;
            bool ranWhilePatching = false;
            const int before = ui.pumps;
            ui.onPump = [&](int pump) {
                if (pump - before != at) return;
                ranWhilePatching = frmMain.Patching();
                nested = Run(c.command);
            };
            EXPECT_EQ(Run([&] { frmMain.btnApplyClick(); }), Outcome::Completed);
            ui.onPump = nullptr;

            EXPECT_TRUE(ranWhilePatching);
            EXPECT_EQ(nested, c.outcome);
            EXPECT_EQ(ui.dialogs.size(), c.dialogs);
            std::vector<std::string> boxes = c.boxes;
            boxes.push_back("Patch successfully applied, burn image to CD now!");
            EXPECT_EQ(BoxTexts(), boxes);
            EXPECT_EQ(testsupport::ReadFile(image), expected);
            EXPECT_EQ(testsupport::ReadFile(otherImage), Bytes(64, 0x77));
            // The window is reset after the apply, whatever the nested command set.
            EXPECT_EQ(edtImage.Text(), "");
            EXPECT_EQ(edtKDX.Text(), "");
            EXPECT_FALSE(frmMain.Patching());
            EXPECT_FALSE(testsupport::HeldOpen(patch));
            EXPECT_FALSE(testsupport::HeldOpen(image));
            EXPECT_EQ(ui.cursor, platform::crDefault);
        }
    }
    EXPECT_EQ(frmAboutWindow.ModalShowings(), 3);
    EXPECT_EQ(frmMainWindow.Closes(), 3);
}

}  // namespace
