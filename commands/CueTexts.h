// What a user reads when a cue sheet is refused.
#pragma once

#include "kdx/CueMerge.h"
#include "kdx/CueSheet.h"
#include "kdx/Image.h"

#include <string>
#include <vector>

namespace commands {

// "Cue sheet line N: why." (without the line for the sheet as a whole);
// empty for no fault.
std::string CueProblemText(const kdx::CueProblem& problem);

// Why an image could not be opened: the file that cannot be (the image or
// a track file: the window's box), a text that is no CD image, a refused
// cue sheet, or a track file that changed since the sheet's check.
std::string ImageOpenText(const kdx::ImageOpenResult& opened);

// The tracks of an image behind the cue sheet at cuePath, one line each:
// number, mode, file, first sector and length; after a line on the sheet.
std::vector<std::string> CueTrackLines(const kdx::CueImage& cue, const std::string& cuePath);

// Why merge wrote nothing (or not both files); empty for Written.
std::string MergeErrorText(const kdx::MergeResult& result);
// What merge wrote.
std::string MergeWrittenText(const kdx::MergeResult& result, const std::string& sheetPath);

namespace text {
inline std::string NotCdImage(const std::string& path)
{
    return "This file is not a CD image: it holds text that is not a cue sheet (" + path + ")";
}
inline std::string TrackFileChanged(const std::string& path)
{
    return "A track file changed after the cue sheet was checked (" + path + "). Nothing was written.";
}
}  // namespace text

}  // namespace commands
