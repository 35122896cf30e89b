// mendrix-cli check: the checks of a patch against an image, one line each.
#include "cli/Commands.h"

#include "commands/CheckLines.h"
#include "commands/CueTexts.h"
#include "commands/Messages.h"
#include "kdx/ImageCheck.h"
#include "kdx/ImageSectors.h"

#include <string>

namespace cli {

namespace {

// On a raw image: how the EDC/ECC of the sectors the records touch stand.
void PrintSectors(const kdx::Patch& loaded, kdx::File& patch, kdx::Image& image)
{
    kdx::SectorLayout layout;
    if (kdx::LayOutSectors(image, layout) != kdx::RawVerdict::Raw || !layout.AnyChecked()) return;
    kdx::SectorBitmap touched(layout.sectors);
    if (!kdx::MarkTouchedSectors(patch, loaded.Records(), layout, touched)) return;
    PrintLines({commands::TouchedSectorsLine(kdx::CheckMarkedSectors(image, layout, touched, false),
                                             touched.MarkedCount())});
}

}  // namespace

int Check(const std::string& patchPath, const std::string& imagePath, kdx::FileSystem& files)
{
    platform::console::ConsoleServices ui(platform::console::Answer::No);
    const std::optional<kdx::Patch> loaded = ReadPatchOrSay(patchPath, files);
    if (!loaded) return kExitFailed;
    kdx::Image image(files);
    if (const kdx::ImageOpenResult opened = image.Open(imagePath, false); !opened.ok()) return FailImageOpen(opened);
    kdx::File patch(files);
    if (!kdx::OpenReadOnly(patch, patchPath))
        return FailOpen(commands::text::CantOpenPatch(patchPath), patch.LastError());
    if (!kdx::StillAsRead(patch, *loaded, patchPath)) return Fail(commands::text::PatchChanged(patchPath));

    if (const kdx::CueImage* cue = image.Cue()) PrintLines(commands::CueTrackLines(*cue, imagePath));
    const kdx::ImageCheckResult r = kdx::CheckImage(*loaded, patch, image);
    PrintLines(commands::CheckLines(r));
    if (r.stateKnown) PrintSectors(*loaded, patch, image);
    return r.Passed() ? kExitOk : kExitFailed;
}

}  // namespace cli
