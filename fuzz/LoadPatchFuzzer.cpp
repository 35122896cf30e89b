// Loads any byte string as a patch, the way the window does, and lists it.
// Holds when: the load ends with exactly the box or the lines the reference
// model works out, never with an unhandled error, and leaves no file open.
#include "fuzz/FuzzFiles.h"
#include "fuzz/ReferenceModel.h"

#include "commands/LoadPatch.h"
#include "commands/Messages.h"
#include "tests/support/TempFiles.h"
#include "platform/Dispatch.h"
#include "platform/MemoText.h"
#include "platform/fake/FakeServices.h"

using fuzzfiles::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = fuzzfiles::Scratch("patch.kdx");
    fuzzfiles::Write(path, data, size);

    platform::fake::FakeServices ui;
    commands::PatchState state;
    platform::PatchWindow w;
    auto window = w.Controls();
    platform::Edit& edtKDX = w.edtKDX;
    platform::Memo& infMemo = w.infMemo;
    platform::CheckBox& cbUndo = w.cbUndo;
    edtKDX.SetText("earlier.kdx");
    cbUndo.SetEnabled(true);

    const platform::Outcome outcome = platform::Dispatch([&] { commands::LoadPatch(state, window, path); });
    const fuzzref::LoadModel model = fuzzref::ModelLoad(fuzzfiles::Bytes(data, data + size), path);

    Require(outcome != platform::Outcome::Failed, "the load ended with an unhandled error");
    Require(!testsupport::HeldOpen(path), "the patch was left open");
    std::vector<std::string> boxes;
    for (const auto& box : ui.boxes) boxes.push_back(box.text);
    Require(boxes == model.boxes, "the boxes differ from the model's");
    Require((outcome == platform::Outcome::Completed) == model.loaded, "the outcome differs from the model's");
    if (model.loaded) {
        Require(edtKDX.Text() == path, "the patch edit does not hold the path");
        Require(infMemo.Lines() == model.lines, "the information lines differ from the model's");
        Require(cbUndo.Enabled() == model.undoEnabled, "the undo box is wrong");
        // What a window or a terminal shows of the lines.
        for (const std::string& line : platform::DisplayLines(infMemo.Lines())) {
            (void)platform::MemoLineToUtf8(line, true);
            (void)platform::MemoLineToUtf8(line, false);
        }
    } else {
        Require(!cbUndo.Enabled(), "a refused load left the undo box enabled");
        // Not a patch at all: the fields are cleared; a method not handled keeps them.
        const bool cleared = model.boxes[0] == commands::text::NoValidKdx(path);
        Require(edtKDX.Text() == (cleared ? "" : "earlier.kdx"), "the patch edit is wrong after a refusal");
    }
    return 0;
}
