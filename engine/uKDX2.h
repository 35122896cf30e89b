// Version 2.0 patches (encoding method 1): version 1.0 with the image's
// size and a 1024-byte block of it in a 1084-byte header, and an optional
// FILE_ID.DIZ trailer with a 32-bit length.
#pragma once

#include "DizTrailer.h"
#include "LoadedPatch.h"
#include "RecordReader.h"
#include "uStd.h"

#include "../platform/Controls.h"

namespace uKDX2 {

inline constexpr std::int64_t kHeaderLength = 1084;
inline constexpr std::int64_t kBlockPosition = 37664;

void ReadHeader(uStd::FileHandle& patch, const std::string& path);
platform::InfoLines BuildInfoLines();
// True when the image's length equals the stored image size. Shows nothing.
bool CheckImageSize(uStd::FileHandle& image);
// True when the image holds the stored block at 37,664; false for an image
// too short to hold it. Shows nothing.
bool ValidateImage(uStd::FileHandle& image);
bool ApplyPatch(uStd::FileHandle& patch, uStd::FileHandle& image);

const engine::LoadedPatch& Loaded();
const engine::DizTrailer& Diz();
std::uint32_t ImageSize();
engine::RecordFormat Records();

}  // namespace uKDX2
