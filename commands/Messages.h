// The fixed texts of the boxes: the window's, exactly as users know them,
// and those mendrix-cli adds of its own.
#pragma once

#include <string>

namespace commands::text {

inline constexpr const char* kNoPatchData =
    "This patch contains no bytes of patch-data. This operation has been cancelled.";
inline constexpr const char* kOutsideImage =
    "This patch attemps to write in an area outside of this image. This operation has been cancelled.";
inline constexpr const char* kDamagedRecords =
    "This patch is damaged, its records do not fit its patch-data. This operation has been cancelled.";
inline constexpr const char* kStillPatchingApply = "Still patching image, you can't apply again now!";
inline constexpr const char* kStillPatchingLoad = "Still patching image, you can't load a patch now!";
inline constexpr const char* kSelectImage = "you should select an image file, donkey";
inline constexpr const char* kSelectKdx = "you should select a kdx file, donkey";
inline constexpr const char* kSizeQuestion = "The size of the image file is incorrect, continue ?";
inline constexpr const char* kBlockQuestion = "Binblock/Patchvalidation failed. Continue ?";
inline constexpr const char* kSuccess = "Patch successfully applied, burn image to CD now!";
inline constexpr const char* kPatchingCaption = "Patching CD Image now, hold one ...";
inline constexpr const char* kResetCaption = "::[: MENDRIX v3.0 :]::";

inline std::string CantOpenKdx(const std::string& path) { return "Can't open kdx (" + path + ")"; }
inline std::string NoValidKdx(const std::string& path) { return "This file is no valid kdx file (" + path + ")"; }
inline std::string UnknownMethod(const std::string& path)
{
    return "This kdx patch has a unknown encoding method\r(" + path +
           ")\r\rCheck our website to get the recent version of mendrix";
}
inline std::string CantOpenImage(const std::string& path)
{
    return "Can't open the specified image file ...\r(" + path + ")";
}
inline std::string CantOpenPatch(const std::string& path)
{
    return "Can't open the specified kdx file ...\r(" + path + ")";
}
inline std::string CantWriteImage(const std::string& reason)
{
    return "Can't write to the image file (" + reason + "). This operation has been cancelled.";
}
inline std::string PatchChanged(const std::string& path)
{
    return "The kdx file has changed since it was loaded, load it again (" + path + ")";
}

// mendrix-cli's own.
inline constexpr const char* kUndone = "Patch successfully taken back out of the image";
inline constexpr const char* kMakeInterrupted = "Interrupted, no patch written.";
inline constexpr const char* kMergeInterrupted = "Interrupted, nothing written.";
inline constexpr const char* kDescriptionNotCp1252 = "The description holds characters that Windows-1252 cannot show.";
inline std::string UnknownCommand(const std::string& name, const std::string& commands)
{
    return "Unknown command \"" + name + "\"; the commands are " + commands + ".";
}
inline std::string NoUndoData(const std::string& path)
{
    return "This patch carries no undo data, it cannot be taken back out of an image (" + path + ")";
}

}  // namespace commands::text
