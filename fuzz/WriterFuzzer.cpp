// Writes a patch between an image and a changed copy of it, both made from
// the input, then reads the patch back. Holds when: a refused write leaves no
// patch and no temporary file; a written patch loads with the lines the
// reference model reads from its bytes, asks no question of the original,
// and applied to the original (by the library and by the reference loop)
// gives the changed image byte for byte; with undo data, the undo apply
// gives the original back.
#include "fuzz/ApplyInput.h"
#include "fuzz/FuzzFiles.h"
#include "fuzz/ReferenceModel.h"

#include "commands/ApplyCommand.h"
#include "commands/LoadPatch.h"
#include "commands/ResultTexts.h"
#include "kdx/MakePatch.h"
#include "tests/support/TempFiles.h"
#include "platform/Dispatch.h"
#include "platform/fake/FakeServices.h"

#include <algorithm>
#include <filesystem>

using fuzzfiles::Bytes;
using fuzzfiles::Require;
using platform::Outcome;

namespace {

// The input, read front to back; zeros once it is used up.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::size_t Left() const { return size_ - at_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// Applies the patch to a scratch copy of image through the window's commands;
// the image afterwards, with every box shown on the way.
Bytes ApplyThroughWindow(const std::string& patch, const Bytes& image, bool undo, std::vector<std::string>& boxes)
{
    const std::string path = fuzzfiles::Scratch("target.bin");
    fuzzfiles::Write(path, image.data(), image.size());
    platform::fake::FakeServices ui;
    commands::PatchState state;
    platform::PatchWindow w;
    auto controls = w.Controls();
    Require(platform::Dispatch([&] { commands::LoadPatch(state, controls, patch); }) == Outcome::Completed,
            "a written patch does not load");
    w.edtImage.SetText(path);
    w.cbUndo.SetChecked(undo);
    Require(platform::Dispatch([&] { commands::btnApplyClick(state, controls); }) == Outcome::Completed,
            "a written patch does not apply");
    for (const auto& box : ui.boxes) boxes.push_back(box.text);
    return fuzzfiles::Read(path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string originalPath = fuzzfiles::Scratch("original.bin");
    static const std::string modifiedPath = fuzzfiles::Scratch("modified.bin");
    static const std::string dizPath = fuzzfiles::Scratch("file_id.diz");
    static const std::string patchPath = fuzzfiles::Scratch("out.kdx");
    Input in(data, size);

    // Options: the version and its flags, some of them ones it cannot carry.
    const std::uint8_t flags = in.Byte();
    kdx::MakeOptions o;
    o.version = 1 + flags % 3;
    o.undo = (flags & 0x04) != 0;
    o.blockCheck = (flags & 0x08) != 0;
    o.giImage = (flags & 0x10) != 0;
    const bool withDiz = (flags & 0x20) != 0;
    const bool shrink = (flags & 0x40) != 0;
    const int descriptionLength = in.Byte() % 56;
    for (int i = 0; i < descriptionLength; ++i) o.description += static_cast<char>(in.Byte());
    const int dizLength = in.Byte();
    std::string diz;
    for (int i = 0; i < dizLength; ++i) diz += static_cast<char>(in.Byte());

    // The images: a known pattern, and a copy changed by runs of input bytes.
    const Bytes original = fuzzinput::ImageOfShape(in.Byte() & 7);
    Bytes modified = original;
    while (in.Left() >= 4) {
        const std::size_t span = original.size() + 600;
        const std::size_t offset = ((in.Byte() << 16) | (in.Byte() << 8) | in.Byte()) % span;
        const std::size_t count = 1 + in.Byte() % 64;
        if (modified.size() < offset + count) modified.resize(offset + count, 0);
        for (std::size_t i = 0; i < count; ++i) modified[offset + i] = in.Byte();
    }
    if (shrink && !modified.empty()) modified.pop_back();

    fuzzfiles::Write(originalPath, original.data(), original.size());
    fuzzfiles::Write(modifiedPath, modified.data(), modified.size());
    fuzzfiles::Write(dizPath, reinterpret_cast<const std::uint8_t*>(diz.data()), diz.size());
    std::filesystem::remove(patchPath);
    o.original = originalPath;
    o.modified = modifiedPath;
    o.patch = patchPath;
    if (withDiz) o.dizPath = dizPath;

    kdx::MakeResult result;
    {
        platform::fake::FakeServices ui;
        kdx::NoObserver none;
        result = kdx::MakePatch(o, none, kdx::SystemFiles());
        Require(ui.boxes.empty(), "the writer showed a box");
    }
    for (const std::string& path : {originalPath, modifiedPath, dizPath, patchPath})
        Require(!testsupport::HeldOpen(path), "the writer left a file open");
    // Nothing but the inputs, the patch and the apply's scratch image: no temporary file stays.
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(patchPath).parent_path())) {
        const std::string name = entry.path().filename().string();
        Require(name == "original.bin" || name == "modified.bin" || name == "file_id.diz" || name == "target.bin" ||
                    (name == "out.kdx" && result.ok()),
                "the writer left a file behind");
    }
    if (!result.ok()) {
        Require(!commands::MakeErrorText(result).empty(), "a refusal without a reason");
        return 0;
    }
    const Bytes patch = fuzzfiles::Read(patchPath);
    Require(static_cast<std::int64_t>(patch.size()) == result.patchLength, "the patch length is not as reported");

    // Read back by the reference model: the version, the lines and the records.
    const fuzzref::LoadModel load = fuzzref::ModelLoad(patch, patchPath);
    Require(load.loaded && load.method == o.version - 1, "the written patch is not of its version");
    Require(load.undoEnabled == o.undo, "the undo flag is not as asked");
    fuzzref::Answers no;
    no.sizeYes = no.blockYes = false;
    const fuzzref::ApplyModel forward = fuzzref::ModelApply(patch, original, no, INT64_MAX);
    Require(forward.success && forward.image == modified, "the reference loop does not make the changed image");
    Require(forward.records == result.records, "the record count is not as reported");

    // Read back by the library, through the window.
    std::vector<std::string> boxes;
    Require(ApplyThroughWindow(patchPath, original, false, boxes) == modified, "applying does not make the changed image");
    Require(boxes.size() == 1, "applying the patch to its own original asked a question");
    if (o.undo) {
        // The block check compares the original's block: a patch that changed
        // it is asked about on the way back, and the answer is Yes.
        fuzzref::Answers undo;
        undo.undoTicked = true;
        const fuzzref::ApplyModel back = fuzzref::ModelApply(patch, modified, undo, INT64_MAX);
        Require(back.success && std::equal(original.begin(), original.end(), back.image.begin()),
                "the reference undo does not give the original back");
        boxes.clear();
        const Bytes undone = ApplyThroughWindow(patchPath, modified, true, boxes);
        // An image does not shrink: what the patch grew it by reads as zero again.
        Require(undone.size() == modified.size() && std::equal(original.begin(), original.end(), undone.begin()) &&
                    std::all_of(undone.begin() + static_cast<std::ptrdiff_t>(original.size()), undone.end(),
                                [](std::uint8_t b) { return b == 0; }),
                "the undo apply does not give the original back");
    }
    return 0;
}
