// Closing the main window (close button, system menu, keyboard) through the
// fake backend: at rest it closes at once; during an apply it stays, busy,
// until the apply has ended in whatever way, and only then closes.
#include "tests/ui/FormFixture.h"

#include <stdexcept>

using platform::Outcome;
using testsupport::Bytes;

namespace {

class ClosingForm : public uitest::FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        image = dir.File("disc.bin");
        testsupport::WriteFile(image, Bytes(64, 0));
        testsupport::PatchLayout layout;
        for (int i = 0; i < 8; ++i) layout.records.push_back({i * 8, {0x11, 0x22}, {}});
        patch = dir.File("fix.kdx");
        testsupport::WriteFile(patch, testsupport::BuildPatch(layout));
    }
    std::string image, patch;
};

TEST_F(ClosingForm, AtRestTheWindowMayCloseAndTheFormClosesNothingItself)
{
    EXPECT_TRUE(frmMain.FormCloseQuery());
    EXPECT_EQ(frmMainWindow.Closes(), 0);  // the backend closes it
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ClosingForm, DuringAnApplyTheWindowStaysUntilTheApplyHasEnded)
{
    const struct {
        const char* name;
        int failAt;  // the pump that throws an unexpected error; 0: none
        Outcome outcome;
        std::vector<std::string> boxes;
        std::uint8_t lastRecord;  // the image's byte 56 afterwards
    } cases[] = {
        {"apply succeeds", 0, Outcome::Completed, {"Patch successfully applied, burn image to CD now!"}, 0x11},
        {"apply fails", 3, Outcome::Failed, {"disk on fire."}, 0x00},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::WriteFile(image, Bytes(64, 0));
        ui.boxes.clear();
        ASSERT_EQ(Run([&] { frmMain.LoadPatch(patch); }), Outcome::Completed);
        edtImage.SetText(image);
        const int closesBefore = frmMainWindow.Closes();

        bool mayClose = true;
        platform::Cursor cursorAfterRequest = platform::crDefault;
        int closesWhileWriting = -1;
        Outcome nestedApply = Outcome::Completed;
        const int first = ui.pumps + 1;
        ui.onPump = [&](int pump) {
            if (pump == first) {
                mayClose = frmMain.FormCloseQuery();
                cursorAfterRequest = ui.cursor;
            } else if (pump == first + 1) {
                // A refused Apply returns while the first still writes: no close yet.
                nestedApply = Run([&] { frmMain.btnApplyClick(); });
                closesWhileWriting = frmMainWindow.Closes() - closesBefore;
                ui.boxes.pop_back();  // its refusal
            } else if (pump == first + c.failAt - 1) {
                throw std::runtime_error("disk on fire");
            }
        };
        EXPECT_EQ(Run([&] { frmMain.btnApplyClick(); }), c.outcome);
        ui.onPump = nullptr;

        EXPECT_FALSE(mayClose);
        EXPECT_EQ(cursorAfterRequest, platform::crHourGlass);
        EXPECT_EQ(nestedApply, Outcome::Aborted);
        EXPECT_EQ(closesWhileWriting, 0);
        EXPECT_EQ(frmMainWindow.Closes() - closesBefore, 1);
        EXPECT_EQ(BoxTexts(), c.boxes);
        EXPECT_EQ(testsupport::ReadFile(image)[56], c.lastRecord);
        EXPECT_FALSE(frmMain.Patching());
        EXPECT_EQ(ui.cursor, platform::crDefault);
        EXPECT_FALSE(testsupport::HeldOpen(image));
        EXPECT_FALSE(testsupport::HeldOpen(patch));
    }
    // The request was carried out once: the next apply ends without a close.
    testsupport::WriteFile(image, Bytes(64, 0));
    ASSERT_EQ(Run([&] { frmMain.LoadPatch(patch); }), Outcome::Completed);
    edtImage.SetText(image);
    const int closes = frmMainWindow.Closes();
    EXPECT_EQ(Run([&] { frmMain.btnApplyClick(); }), Outcome::Completed);
    EXPECT_EQ(frmMainWindow.Closes(), closes);
}

}  // namespace
