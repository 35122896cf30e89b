// What each version unit keeps of the last load of its version, and the
// reading that every version's header starts with.
#pragma once

#include "uStd.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

struct LoadedPatch {
    std::vector<std::uint8_t> headerBytes;  // the version's header; zero beyond the file's end
    std::int64_t patchFileLength = 0;
    std::int64_t patchDataLength = 0;
    std::string patchFileName;
};

// Reads headerSize bytes from the start in one read (zero where the file is
// shorter), the file's length and the path into the state. Never fails.
void ReadHeaderBytes(uStd::FileHandle& patch, LoadedPatch& state, std::size_t headerSize, const std::string& path);

// True when the open patch has the path, length and header bytes that the
// last load read: a patch changed since it was loaded must not be applied.
bool StillAsLoaded(uStd::FileHandle& patch, const LoadedPatch& state, const std::string& path);

// A little-endian number from bytes.
std::uint64_t LittleEndian(const std::uint8_t* bytes, int width);

}  // namespace engine
