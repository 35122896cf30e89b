// Applies any byte string as a patch to a small image in a scratch file,
// through the load and the Apply command with the questions answered as the
// input's first byte says. Holds when: the apply ends; its boxes are the
// model's; on failure the image is byte for byte as before; on success it is
// what the reference loop writes; nothing stays open, busy or hourglassed.
#include "fuzz/ApplyInput.h"
#include "fuzz/FuzzFiles.h"
#include "fuzz/ReferenceModel.h"

#include "commands/ApplyCommand.h"
#include "commands/LoadPatch.h"
#include "commands/Messages.h"
#include "tests/support/TempFiles.h"
#include "platform/Dispatch.h"
#include "platform/fake/FakeServices.h"

#include <csignal>
#include <cstdio>
#include <sys/resource.h>

using fuzzfiles::Require;
using platform::ModalResult;
using platform::Outcome;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The image may not grow past the limit: a patch that needs more must
    // fail before it writes, like one on a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(fuzzinput::kFileSizeLimit);
    Require(setrlimit(RLIMIT_FSIZE, &limit) == 0, "cannot set the file size limit");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    static const std::string patchPath = fuzzfiles::Scratch("patch.kdx");
    static const std::string imagePath = fuzzfiles::Scratch("image.bin");
    const std::uint8_t control = data[0];
    const fuzzfiles::Bytes patch(data + 1, data + size);
    static const std::vector<fuzzfiles::Bytes> images = [] {
        std::vector<fuzzfiles::Bytes> all;
        for (int shape = 0; shape < 8; ++shape) all.push_back(fuzzinput::ImageOfShape(shape));
        return all;
    }();
    const fuzzfiles::Bytes& image = images[static_cast<std::size_t>(fuzzinput::ShapeOf(control))];
    fuzzfiles::Write(patchPath, patch.data(), patch.size());
    fuzzfiles::Write(imagePath, image.data(), image.size());

    fuzzref::Answers answers;
    answers.sizeYes = (control & fuzzinput::kSizeYes) != 0;
    answers.blockYes = (control & fuzzinput::kBlockYes) != 0;
    answers.undoTicked = (control & fuzzinput::kUndoTicked) != 0;

    platform::fake::FakeServices ui;
    ui.onBox = [&](const platform::fake::Box& box) {
        if (box.text == commands::text::kSizeQuestion)
            ui.answers = {answers.sizeYes ? ModalResult::mrYes : ModalResult::mrNo};
        if (box.text == commands::text::kBlockQuestion)
            ui.answers = {answers.blockYes ? ModalResult::mrNone : ModalResult::mrNo};
    };
    commands::PatchState state;
    platform::PatchWindow w;
    auto window = w.Controls();

    const Outcome loaded = platform::Dispatch([&] { commands::LoadPatch(state, window, patchPath); });
    const fuzzref::LoadModel loadModel = fuzzref::ModelLoad(patch, patchPath);
    Require((loaded == Outcome::Completed) == loadModel.loaded, "the load differs from the model's");
    ui.boxes.clear();

    w.edtImage.SetText(imagePath);
    w.cbUndo.SetChecked(answers.undoTicked);
    const Outcome applied = platform::Dispatch([&] { commands::btnApplyClick(state, window); });

    Require(!state.Patching, "still patching after the apply");
    Require(!testsupport::HeldOpen(patchPath) && !testsupport::HeldOpen(imagePath), "a file was left open");
    Require(ui.cursor == platform::crDefault, "the cursor was not restored");
    std::vector<std::string> boxes;
    for (const auto& box : ui.boxes) boxes.push_back(box.text);
    const fuzzfiles::Bytes after = fuzzfiles::Read(imagePath);

    if (!loadModel.loaded) {
        // Without a patch in the edit the Apply command refuses at once.
        Require(applied == Outcome::Aborted, "an apply without a patch went on");
        Require(boxes == std::vector<std::string>{commands::text::kSelectKdx}, "the refusal is wrong");
        Require(after == image, "an apply without a patch changed the image");
        return 0;
    }
    const fuzzref::ApplyModel model = fuzzref::ModelApply(patch, image, answers, fuzzinput::kFileSizeLimit);
    Require(applied != Outcome::Failed, "the apply ended with an unhandled error");
    if (boxes != model.boxes) {
        for (const auto& b : boxes) std::fprintf(stderr, "mendrix: %s\n", b.c_str());
        for (const auto& b : model.boxes) std::fprintf(stderr, "model:  %s\n", b.c_str());
        Require(false, "the boxes differ from the model's");
    }
    Require((applied == Outcome::Completed) == model.success, "the outcome differs from the model's");
    if (!model.success) Require(after == image, "a failed apply changed the image");
    if (model.success) {
        Require(after == model.image, "the image differs from the reference loop's");
        Require(ui.pumps == model.records + 1, "not one pump per record");
    }
    // Every apply that got under way resets the window.
    Require(w.edtKDX.Text().empty() && w.edtImage.Text().empty() && w.infMemo.Lines().empty(), "the window was not reset");
    return 0;
}
