// Version 3.0 patches (encoding method 2): 64-bit signed offsets, a block
// check switched on by a flag at a place set by the image type, records
// that may carry undo data, and a FILE_ID.DIZ trailer with a 16-bit length.
#pragma once

#include "DizTrailer.h"
#include "LoadedPatch.h"
#include "RecordReader.h"
#include "uStd.h"

#include "../platform/Controls.h"

namespace uKDX3 {

inline constexpr std::int64_t kHeaderBytes = 1084;
inline constexpr std::int64_t kShortHeader = 60;
inline constexpr std::int64_t kGiBlockPosition = 32928;
inline constexpr std::int64_t kNormalBlockPosition = 37664;

void ReadHeader(uStd::FileHandle& patch, const std::string& path);
// Looks for the trailer; called by ReadHeader as its last step.
bool ReadDiz(uStd::FileHandle& patch);
// True when the loaded patch carries undo data (any UndoFlag but 0).
bool HasUndoData();
platform::InfoLines BuildInfoLines();
// True when the block check passes or is not switched on. Shows nothing.
bool ValidateImage(uStd::FileHandle& image);
// Writes the patched bytes of every record.
bool ApplyPatch(uStd::FileHandle& patch, uStd::FileHandle& image);
// Writes the undo bytes of every record; only for a patch with undo data.
bool ApplyUndo(uStd::FileHandle& patch, uStd::FileHandle& image);

const engine::LoadedPatch& Loaded();
const engine::DizTrailer& Diz();
std::int64_t HeaderLength();
bool IsGiImage();
bool BlockCheckEnabled();
std::int64_t BlockPosition();
engine::RecordFormat Records(bool withUndo);

}  // namespace uKDX3
