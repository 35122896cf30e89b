// Loading a patch into the window: refusals, the memo, the undo box.
#include "tests/commands/CommandFixture.h"
#include "commands/Messages.h"
#include "commands/ResultTexts.h"

using namespace testsupport;
using platform::MsgDlgType;
using platform::Outcome;

namespace {

class LoadPatch : public CommandTest {};

PatchLayout V3Undo()
{
    PatchLayout layout;
    layout.version = 3;
    layout.undoFlag = 1;
    layout.records = {{0, {1}, {2}}};
    return layout;
}

TEST_F(LoadPatch, ListsTheLinesAndKeepsThePathAsGiven)
{
    const std::string path = Patch(PatchLayout{}, "fix.bin");
    infMemo.Append({"old line"});
    ASSERT_EQ(Load(path), Outcome::Completed);
    ASSERT_EQ(Load(path), Outcome::Completed);  // twice: lines never accumulate
    EXPECT_EQ(edtKDX.Text(), path);
    ASSERT_EQ(infMemo.Lines().size(), 5u);
    EXPECT_EQ(infMemo.Lines()[0], "Filename       : " + path);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_FALSE(HeldOpen(path));
}

TEST_F(LoadPatch, RefusalsClearOrKeepTheFieldsAsEachCaseSays)
{
    const std::string good = Patch(PatchLayout{});
    const struct {
        std::string name;
        Bytes content;
        MsgDlgType type;
        std::string text;
        bool cleared;
    } cases[] = {
        {"lower.kdx", Text("kdx10\x00"), MsgDlgType::mtWarning, commands::text::NoValidKdx(dir.File("lower.kdx")), true},
        {"two.kdx", Text("KD"), MsgDlgType::mtWarning, commands::text::NoValidKdx(dir.File("two.kdx")), true},
        {"m3.kdx", Bytes{'K', 'D', 'X', '4', '0', 3}, MsgDlgType::mtWarning,
         commands::text::UnknownMethod(dir.File("m3.kdx")), false},
        {"short.kdx", Text("KDX1"), MsgDlgType::mtWarning, commands::text::UnknownMethod(dir.File("short.kdx")), false},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Load(good), Outcome::Completed);
        cbUndo.SetEnabled(true);
        WriteFile(dir.File(c.name), c.content);
        ui.boxes.clear();
        EXPECT_EQ(Load(dir.File(c.name)), Outcome::Aborted) << c.name;
        ASSERT_EQ(ui.boxes.size(), 1u) << c.name;
        EXPECT_EQ(ui.boxes[0].type, c.type);
        EXPECT_EQ(ui.boxes[0].buttons, platform::MsgDlgButtons::mbOK);
        EXPECT_EQ(ui.boxes[0].text, c.text);
        EXPECT_EQ(edtKDX.Text(), c.cleared ? "" : good) << c.name;
        EXPECT_EQ(infMemo.Lines().empty(), c.cleared) << c.name;
        EXPECT_FALSE(cbUndo.Enabled());
        // The patch was closed: it opens again at once.
        kdx::File again;
        EXPECT_TRUE(kdx::OpenReadOnly(again, dir.File(c.name)));
    }
}

TEST_F(LoadPatch, APatchHeldOpenOrMissingCannotBeOpened)
{
    const std::string path = Patch(PatchLayout{});
    ASSERT_EQ(Load(path), Outcome::Completed);
    EXPECT_EQ(state.openError, 0);
    kdx::File holder;
    ASSERT_TRUE(kdx::OpenReadOnly(holder, path));
    EXPECT_EQ(Load(path), Outcome::Aborted);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Can't open kdx (" + path + ")"});
    EXPECT_EQ(ui.boxes[0].type, MsgDlgType::mtError);
    EXPECT_EQ(edtKDX.Text(), "");
    EXPECT_TRUE(infMemo.Lines().empty());
    // The box names the path only; the reason is kept for a front end that shows it.
    EXPECT_EQ(commands::OpenReason(state.openError), "Device or resource busy");
    EXPECT_EQ(Load(dir.Path().string()), Outcome::Aborted);
    EXPECT_EQ(commands::OpenReason(state.openError), "Is a directory");
    EXPECT_EQ(Load(dir.File("missing.kdx")), Outcome::Aborted);
    EXPECT_EQ(commands::OpenReason(state.openError), "No such file or directory");
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Can't open kdx (" + path + ")",
                                                    "Can't open kdx (" + dir.Path().string() + ")",
                                                    "Can't open kdx (" + dir.File("missing.kdx") + ")"}));
    holder.Close();
    // A load that opens forgets the last one's failure.
    ASSERT_EQ(Load(path), Outcome::Completed);
    EXPECT_EQ(state.openError, 0);
}

TEST_F(LoadPatch, UndoBoxFollowsTheLastLoadAndKeepsItsTick)
{
    const std::string undo = Patch(V3Undo(), "undo.kdx");
    const std::string v1 = Patch(PatchLayout{}, "v1.kdx");
    PatchLayout noUndo = V3Undo();
    noUndo.undoFlag = 0;
    const std::string v3 = Patch(noUndo, "v3.kdx");

    ASSERT_EQ(Load(undo), Outcome::Completed);
    EXPECT_TRUE(cbUndo.Enabled());
    cbUndo.SetChecked(true);
    ASSERT_EQ(Load(v1), Outcome::Completed);
    EXPECT_FALSE(cbUndo.Enabled());
    EXPECT_TRUE(cbUndo.Checked());
    ASSERT_EQ(Load(v3), Outcome::Completed);
    EXPECT_FALSE(cbUndo.Enabled());
    ASSERT_EQ(Load(undo), Outcome::Completed);
    EXPECT_TRUE(cbUndo.Enabled());
    EXPECT_TRUE(cbUndo.Checked());
}

TEST_F(LoadPatch, IsRefusedWhileAnApplyRuns)
{
    const std::string first = Patch(PatchLayout{}, "first.kdx");
    const std::string second = Patch(V3Undo(), "second.kdx");
    ASSERT_EQ(Load(first), Outcome::Completed);
    const auto lines = infMemo.Lines();
    state.Patching = true;
    const Outcome outcome = Load(second);
    state.Patching = false;
    EXPECT_EQ(outcome, Outcome::Aborted);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Still patching image, you can't load a patch now!"});
    EXPECT_EQ(edtKDX.Text(), first);
    EXPECT_EQ(infMemo.Lines(), lines);
    EXPECT_FALSE(cbUndo.Enabled());
    EXPECT_FALSE(HeldOpen(second));
}

}  // namespace
