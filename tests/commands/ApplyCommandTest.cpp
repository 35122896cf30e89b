// The Apply command: refusals, questions, the busy state, success and reset.
#include "tests/commands/CommandFixture.h"
#include "commands/Messages.h"
#include "commands/ResultTexts.h"
#include "tests/support/CueDump.h"
#include "tests/support/SmallDisk.h"

#include <sys/stat.h>

using namespace testsupport;
using platform::ModalResult;
using platform::MsgDlgButtons;
using platform::MsgDlgType;
using platform::Outcome;
namespace text = commands::text;

namespace {

class ApplyCommand : public CommandTest {
protected:
    // A version 2.0 patch for an image of imageSize bytes whose block is block.
    PatchLayout V2(std::uint32_t imageSize, const Bytes& block) const
    {
        PatchLayout layout;
        layout.version = 2;
        layout.imageSize = imageSize;
        layout.block = block;
        layout.records = {{5, {0xEE}, {}}};
        return layout;
    }
    void Ready(const PatchLayout& layout, const Bytes& image)
    {
        patchPath = Patch(layout);
        imagePath = Image(image);
        ASSERT_EQ(Load(patchPath), Outcome::Completed);
        edtImage.SetText(imagePath);
    }
    std::string patchPath;
    std::string imagePath;
};

PatchLayout V1One()
{
    PatchLayout layout;
    layout.records = {{1, {0xAA, 0xBB}, {}}};
    return layout;
}

TEST_F(ApplyCommand, RefusesWithoutImageOrPatchAndWhilePatching)
{
    EXPECT_EQ(ApplyClick(), Outcome::Aborted);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{text::kSelectImage});
    edtImage.SetText("x.bin");
    EXPECT_EQ(ApplyClick(), Outcome::Aborted);
    EXPECT_EQ(BoxTexts().back(), text::kSelectKdx);
    state.Patching = true;
    EXPECT_EQ(ApplyClick(), Outcome::Aborted);
    state.Patching = false;
    EXPECT_EQ(BoxTexts().back(), text::kStillPatchingApply);
    for (const auto& box : ui.boxes) EXPECT_EQ(box.type, MsgDlgType::mtWarning);
    EXPECT_EQ(edtImage.Text(), "x.bin");
    ExpectIdle();
}

TEST_F(ApplyCommand, SuccessShowsTheBoxWithPathsStillShownThenResets)
{
    Ready(V1One(), Bytes(8, 0));
    bool checked = false;
    ui.onBox = [&](const platform::fake::Box& box) {
        if (box.text != text::kSuccess) return;
        checked = true;
        EXPECT_EQ(box.type, MsgDlgType::mtInformation);
        EXPECT_FALSE(state.Patching);
        EXPECT_EQ(ui.cursor, platform::crDefault);
        EXPECT_EQ(frmMain.Caption(), text::kPatchingCaption);
        EXPECT_EQ(edtImage.Text(), imagePath);
        EXPECT_EQ(edtKDX.Text(), patchPath);
        EXPECT_FALSE(HeldOpen(imagePath));
    };
    std::vector<bool> busy;
    ui.onPump = [&](int) { busy.push_back(state.Patching && ui.cursor == platform::crHourGlass); };
    EXPECT_EQ(ApplyClick(), Outcome::Completed);
    EXPECT_TRUE(checked);
    // One pump per record while busy, one more after the flag is cleared.
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(ReadFile(imagePath), (Bytes{0, 0xAA, 0xBB, 0, 0, 0, 0, 0}));
    ExpectReset();
    ExpectIdle();
}

TEST_F(ApplyCommand, ImageThatCannotBeOpenedChangesNothing)
{
    Ready(V1One(), Bytes(8, 0));
    chmod(imagePath.c_str(), 0444);
    // Permission bits do not stop root: a read-only mount does.
    SmallDisk disk(dir.File("ro"), 64 * 1024);
    if (access(imagePath.c_str(), W_OK) == 0) {
        if (!disk.Mounted()) GTEST_SKIP() << disk.Reason();
        imagePath = disk.File("disc.bin");
        WriteFile(imagePath, Bytes(8, 0));
        if (!disk.MakeReadOnly()) GTEST_SKIP() << disk.Reason();
        edtImage.SetText(imagePath);
    }
    frmMain.SetCaption("start");
    EXPECT_EQ(ApplyClick(), Outcome::Aborted);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{text::CantOpenImage(imagePath)});
    EXPECT_EQ(frmMain.Caption(), "start");
    EXPECT_EQ(edtKDX.Text(), patchPath);
    ExpectIdle();
}

TEST_F(ApplyCommand, ImageHeldOpenElsewhereIsRefused)
{
    Ready(V1One(), Bytes(8, 0));
    kdx::File holder;
    ASSERT_TRUE(kdx::OpenReadOnly(holder, imagePath));
    EXPECT_EQ(ApplyClick(), Outcome::Aborted);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Can't open the specified image file ...\r(" + imagePath + ")"});
    EXPECT_EQ(ui.boxes[0].type, MsgDlgType::mtError);
    EXPECT_EQ(commands::OpenReason(state.openError), "Device or resource busy");
}

TEST_F(ApplyCommand, DeletedPatchClosesTheImageAgainAndWorksOncePutBack)
{
    Ready(V1One(), Bytes(8, 0));
    const Bytes patch = ReadFile(patchPath);
    std::filesystem::remove(patchPath);
    EXPECT_EQ(ApplyClick(), Outcome::Aborted);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Can't open the specified kdx file ...\r(" + patchPath + ")"});
    EXPECT_EQ(commands::OpenReason(state.openError), "No such file or directory");
    ExpectIdle();
    kdx::File other;
    EXPECT_TRUE(kdx::OpenReadWrite(other, imagePath));
    other.Close();
    WriteFile(patchPath, patch);
    EXPECT_EQ(ApplyClick(), Outcome::Completed);
}

TEST_F(ApplyCommand, PatchChangedSinceTheLoadIsRefusedBeforeAnyWrite)
{
    const struct {
        std::string name;
        std::function<void(Bytes&)> change;
        bool methodGone;  // no method byte left: refused as a method not handled
    } cases[] = {
        {"grown by a byte", [](Bytes& p) { p.push_back(0); }, false},
        {"cut by a byte", [](Bytes& p) { p.pop_back(); }, false},
        {"description changed", [](Bytes& p) { p[10] ^= 0xFF; }, false},
        {"other records",
         [](Bytes& p) {
             PatchLayout other = V1One();
             other.records[0].bytes = {0xCC, 0xDD, 0xEE};
             p = BuildPatch(other);
         },
         false},
        {"emptied", [](Bytes& p) { p.clear(); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ui.boxes.clear();
        Ready(V1One(), Bytes(8, 0));
        Bytes patch = ReadFile(patchPath);
        c.change(patch);
        WriteFile(patchPath, patch);
        EXPECT_EQ(ApplyClick(), Outcome::Aborted);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{c.methodGone ? text::UnknownMethod(patchPath)
                                                                    : text::PatchChanged(patchPath)});
        EXPECT_EQ(ReadFile(imagePath), Bytes(8, 0));
        ExpectReset();
        ExpectIdle();
    }
}

TEST_F(ApplyCommand, PatchReplacedByAFolderCannotBeOpened)
{
    Ready(V1One(), Bytes(8, 0));
    std::filesystem::remove(patchPath);
    std::filesystem::create_directory(patchPath);
    EXPECT_EQ(ApplyClick(), Outcome::Aborted);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{text::CantOpenPatch(patchPath)});
    EXPECT_EQ(ReadFile(imagePath), Bytes(8, 0));
    EXPECT_EQ(edtKDX.Text(), patchPath);  // a refusal before the work began keeps the window
    ExpectIdle();
}

TEST_F(ApplyCommand, MethodChangedAfterTheLoadWarnsAndResets)
{
    Ready(V1One(), Bytes(8, 0));
    Bytes patch = ReadFile(patchPath);
    patch[5] = 7;
    WriteFile(patchPath, patch);
    EXPECT_EQ(ApplyClick(), Outcome::Aborted);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{text::UnknownMethod(patchPath)});
    EXPECT_EQ(ReadFile(imagePath), Bytes(8, 0));
    ExpectReset();
    ExpectIdle();
}

TEST_F(ApplyCommand, Version2AsksSizeThenBlockAndYesWritesAnyway)
{
    Ready(V2(100, Bytes(1024, 1)), Bytes(50, 0));
    EXPECT_EQ(ApplyClick(), Outcome::Completed);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{text::kSizeQuestion, text::kBlockQuestion, text::kSuccess}));
    EXPECT_EQ(ui.boxes[0].buttons, MsgDlgButtons::mbYesNo);
    EXPECT_EQ(ui.boxes[0].type, MsgDlgType::mtWarning);
    EXPECT_EQ(ReadFile(imagePath)[5], 0xEE);
}

TEST_F(ApplyCommand, NoToAQuestionLeavesTheImageAndResets)
{
    for (const int noAt : {0, 1}) {
        Ready(V2(100, Bytes(1024, 1)), Bytes(50, 0));
        ui.boxes.clear();
        ui.answers = noAt == 0 ? std::deque<ModalResult>{ModalResult::mrNo}
                               : std::deque<ModalResult>{ModalResult::mrNone, ModalResult::mrNo};
        EXPECT_EQ(ApplyClick(), Outcome::Aborted);
        EXPECT_EQ(ui.boxes.size(), static_cast<std::size_t>(noAt + 1));
        EXPECT_EQ(ReadFile(imagePath), Bytes(50, 0));
        ExpectReset();
        ExpectIdle();
    }
}

TEST_F(ApplyCommand, Version2ImageThatFitsAsksNothing)
{
    Bytes image(37664 + 1024, 3);
    const Bytes block = Noise(1024, 9);
    std::copy(block.begin(), block.end(), image.begin() + 37664);
    Ready(V2(static_cast<std::uint32_t>(image.size()), block), image);
    EXPECT_EQ(ApplyClick(), Outcome::Completed);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{text::kSuccess});
}

TEST_F(ApplyCommand, UndoTickChoosesTheUndoDataOnlyWherePresent)
{
    PatchLayout layout;
    layout.version = 3;
    layout.undoFlag = 1;
    layout.records = {{2, {0x11, 0x22}, {0x01, 0x02}}};
    Ready(layout, Bytes{0, 0, 0x11, 0x22});
    cbUndo.SetChecked(true);
    EXPECT_EQ(ApplyClick(), Outcome::Completed);
    EXPECT_EQ(ReadFile(imagePath), (Bytes{0, 0, 0x01, 0x02}));
    // The window's box is the same for an undo.
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{text::kSuccess});

    // Without undo data a leftover tick counts for nothing.
    layout.undoFlag = 0;
    Ready(layout, Bytes{0, 0, 0, 0});
    cbUndo.SetChecked(true);
    EXPECT_FALSE(cbUndo.Enabled());
    EXPECT_EQ(ApplyClick(), Outcome::Completed);
    EXPECT_EQ(ReadFile(imagePath), (Bytes{0, 0, 0x11, 0x22}));
}

TEST_F(ApplyCommand, FailedApplyTakesTheCancelExit)
{
    Ready(PatchLayout{}, Bytes(8, 0));  // no records
    EXPECT_EQ(ApplyClick(), Outcome::Aborted);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{text::kNoPatchData});
    ExpectReset();
    ExpectIdle();
}

TEST_F(ApplyCommand, NegativeVersion3OffsetWritesNothingAtAll)
{
    PatchLayout layout;
    layout.version = 3;
    layout.records = {{0, {1}, {}}, {1, {2}, {}}, {-5, {3}, {}}};
    Ready(layout, Bytes(4, 0));
    EXPECT_EQ(ApplyClick(), Outcome::Aborted);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{text::kOutsideImage});
    EXPECT_EQ(ReadFile(imagePath), Bytes(4, 0));
    ExpectReset();
}

TEST_F(ApplyCommand, UnexpectedErrorsReleaseEverything)
{
    Ready(V1One(), Bytes(8, 0));
    ui.onPump = [](int) { throw std::runtime_error("boom"); };
    EXPECT_EQ(ApplyClick(), Outcome::Failed);
    ASSERT_FALSE(ui.boxes.empty());
    EXPECT_EQ(ui.boxes.back().caption, platform::kTitle);
    EXPECT_EQ(ui.boxes.back().text, "boom.");
    ExpectIdle();
}


// A cue sheet in the image edit is the image: its track files as one range,
// whose whole length the size question compares with the patch's.
TEST_F(ApplyCommand, ACueSheetIsTheImageAndTheSizeQuestionWeighsTheWholeRange)
{
    const CueDump dump = GameDump();
    dump.Write(dir.Path().string());
    const std::string sheet = dump.SheetIn(dir.Path().string());
    const Bytes merged = dump.Merged();
    const Bytes block(merged.begin() + 37664, merged.begin() + 37664 + 1024);
    const struct {
        std::uint32_t size;
        std::deque<ModalResult> answers;
        std::vector<std::string> boxes;
        bool written;
    } cases[] = {
        {static_cast<std::uint32_t>(merged.size()), {}, {text::kSuccess}, true},
        {static_cast<std::uint32_t>(dump.files[0].bytes.size()), {ModalResult::mrNo}, {text::kSizeQuestion}, false},
    };
    for (const auto& c : cases) {
        patchPath = Patch(V2(c.size, block));
        ASSERT_EQ(Load(patchPath), Outcome::Completed);
        edtImage.SetText(sheet);
        ui.boxes.clear();
        ui.answers = c.answers;
        EXPECT_EQ(ApplyClick(), c.written ? Outcome::Completed : Outcome::Aborted);
        EXPECT_EQ(BoxTexts(), c.boxes);
        Bytes expected = merged;
        if (c.written) expected[5] = 0xEE;
        EXPECT_TRUE(dump.Read(dir.Path().string()) == expected) << c.size;
        EXPECT_EQ(ReadFile(sheet), Text(dump.sheet));
        dump.Write(dir.Path().string());
        ExpectReset();
        ExpectIdle();
    }
    // A sheet that is refused is refused as an image that cannot be opened: nothing reset, nothing open.
    WriteFile(dir.File("bad.cue"), Text("FILE \"gone.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"));
    ASSERT_EQ(Load(patchPath), Outcome::Completed);
    edtImage.SetText(dir.File("bad.cue"));
    ui.boxes.clear();
    EXPECT_EQ(ApplyClick(), Outcome::Aborted);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Cue sheet line 1: the track file " +
                                                   std::filesystem::path(dir.File("gone.bin")).make_preferred().string() +
                                                   " does not exist."});
    EXPECT_EQ(edtImage.Text(), dir.File("bad.cue"));
    ExpectIdle();
}

}  // namespace
