// Version 1.0 patches (encoding method 0): a 56-byte header with the
// description, then records of a 4-byte unsigned offset, a count and the bytes.
#pragma once

#include "LoadedPatch.h"
#include "RecordReader.h"
#include "uStd.h"

#include "../platform/Controls.h"

namespace uKDX1 {

inline constexpr std::int64_t kHeaderLength = 56;

// Reads the header, the file length and the path into the unit's state. Never fails.
void ReadHeader(uStd::FileHandle& patch, const std::string& path);
// The five information lines of the last load.
platform::InfoLines BuildInfoLines();
// Writes every record into the image; false after a failure it has reported.
bool ApplyPatch(uStd::FileHandle& patch, uStd::FileHandle& image);

// The state of the last load, and where its records lie.
const engine::LoadedPatch& Loaded();
engine::RecordFormat Records();

}  // namespace uKDX1
