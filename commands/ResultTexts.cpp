#include "commands/ResultTexts.h"

#include "commands/CueTexts.h"
#include "commands/Messages.h"
#include "kdx/File.h"

namespace commands {

using kdx::MakeStatus;
using std::to_string;

std::string ApplyErrorText(const kdx::ApplyResult& result)
{
    switch (result.status) {
    case kdx::ApplyStatus::Written: return {};
    case kdx::ApplyStatus::NoPatchData: return text::kNoPatchData;
    case kdx::ApplyStatus::Damaged: return text::kDamagedRecords;
    case kdx::ApplyStatus::OutsideImage: return text::kOutsideImage;
    case kdx::ApplyStatus::PartSector:
        return "This patch would end the last track file inside a " + to_string(result.record) + "-Byte sector (" +
               result.reason + "), its cue sheet could not be read again. This operation has been cancelled.";
    case kdx::ApplyStatus::WriteFailed: return text::CantWriteImage(result.reason);
    }
    return {};
}

namespace {

std::string VersionName(int version) { return to_string(version) + ".0"; }

std::string Which(const kdx::MakeResult& r)
{
    return r.image == kdx::WhichImage::Original ? "original" : "modified";
}

std::string Reason(const kdx::MakeResult& r) { return kdx::SystemErrorText(r.error); }

}  // namespace

std::string MakeErrorText(const kdx::MakeResult& r)
{
    switch (r.status) {
    case MakeStatus::Written: return {};
    case MakeStatus::UnknownVersion:
        return "Unknown patch version " + to_string(r.number) + "; versions 1, 2 and 3 are written.";
    case MakeStatus::UndoNeedsVersion3: return "Undo data needs a version 3.0 patch.";
    case MakeStatus::NoBlockInVersion1: return "A version 1.0 patch has no block check.";
    case MakeStatus::GiNeedsVersion3: return "The image type (GI image) needs a version 3.0 patch.";
    case MakeStatus::DescriptionTooLong:
        return "The description is " + to_string(r.number) + " bytes long; a patch holds at most 50.";
    case MakeStatus::DizInVersion1: return "A version 1.0 patch cannot carry a FILE_ID.DIZ text.";
    case MakeStatus::PatchIsAnImage: return "The patch would replace one of the images (" + r.path + ").";
    case MakeStatus::Identical: return "The images are identical, there is nothing to patch.";
    case MakeStatus::CantOpenDiz: return "Can't open the FILE_ID.DIZ file (" + r.path + "): " + OpenReason(r.error);
    case MakeStatus::DizTooLong:
        return "The FILE_ID.DIZ text is " + to_string(r.number) + " bytes long; at most " +
               to_string(kdx::diz::kTextMax) + " are allowed (readers show no more).";
    case MakeStatus::CantReadDiz: return "Can't read the FILE_ID.DIZ file (" + r.path + "): " + Reason(r);
    case MakeStatus::CantOpenImage:
        return "Can't open the " + Which(r) + " image (" + r.path + "): " + OpenReason(r.error);
    case MakeStatus::NotCdImage:
        return "The " + Which(r) + " image is not a CD image: it holds text that is not a cue sheet (" + r.path + ").";
    case MakeStatus::CueRefused: return "The " + Which(r) + " image: " + CueProblemText(r.problem);
    case MakeStatus::CantReadImage: return "Can't read the " + Which(r) + " image (" + r.path + "): " + Reason(r);
    case MakeStatus::ImageChanged: return "The " + Which(r) + " image changed while it was read (" + r.path + ").";
    case MakeStatus::ModifiedShorter:
        return "The modified image is shorter than the original image; a patch cannot make an image shorter.";
    case MakeStatus::BeyondReach:
        return "The images differ at or beyond 4 GiB (offset " + to_string(r.number) + "); version " +
               VersionName(r.version) + " patches reach only the first 4 GiB of an image, version 3.0 is needed.";
    case MakeStatus::OriginalTooLarge:
        return "The original image is 4 GiB or larger; a version 2.0 patch cannot store its size, "
               "version 3.0 is needed.";
    case MakeStatus::OriginalTooShort:
        return "The original image is too short for the block check: it needs at least " + to_string(r.number) +
               " Bytes (1024 Bytes at " + to_string(r.position) + ").";
    case MakeStatus::CantCreatePatch: return "Can't create the patch file (" + r.path + "): " + Reason(r);
    case MakeStatus::CantWritePatch: return "Can't write the patch file (" + r.path + "): " + Reason(r);
    case MakeStatus::CantPlacePatch: return "Can't put the patch file in place (" + r.path + "): " + Reason(r);
    }
    return {};
}

std::string MakeWrittenText(const kdx::MakeResult& r, const std::string& path)
{
    return "Patch written: version " + VersionName(r.version) + ", " + to_string(r.records) + " records, " +
           to_string(r.patchDataLength) + " Bytes of patch-data, " + to_string(r.patchLength) + " Bytes in all (" +
           path + ")";
}

std::string OpenReason(int error)
{
    switch (kdx::OpenFailureOf(error)) {
    case kdx::OpenFailure::Missing: return "No such file or directory";
    case kdx::OpenFailure::Denied: return "Permission denied";
    case kdx::OpenFailure::Folder: return "Is a directory";
    case kdx::OpenFailure::InUse: return "Device or resource busy";
    case kdx::OpenFailure::Other: break;
    }
    return kdx::SystemErrorText(error);
}

const char* WalkVerdictName(kdx::WalkVerdict verdict)
{
    switch (verdict) {
    case kdx::WalkVerdict::Fits: return "sound";
    case kdx::WalkVerdict::Damaged: return "damaged";
    case kdx::WalkVerdict::NegativeOffset: return "negative offset";
    case kdx::WalkVerdict::OutOfReach: return "offset out of reach";
    }
    return "";
}

}  // namespace commands
