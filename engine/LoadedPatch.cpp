#include "LoadedPatch.h"

namespace engine {

void ReadHeaderBytes(uStd::FileHandle& patch, LoadedPatch& state, std::size_t headerSize, const std::string& path)
{
    state.headerBytes.assign(headerSize, 0);
    if (patch.Seek(0, uStd::SeekOrigin::Begin) == 0)
        patch.Read(state.headerBytes.data(), static_cast<std::int64_t>(headerSize));
    const std::int64_t end = patch.Seek(0, uStd::SeekOrigin::End);
    state.patchFileLength = end < 0 ? 0 : end;
    state.patchFileName = path;
}

bool StillAsLoaded(uStd::FileHandle& patch, const LoadedPatch& state, const std::string& path)
{
    if (path != state.patchFileName || patch.Length() != state.patchFileLength) return false;
    std::vector<std::uint8_t> now(state.headerBytes.size(), 0);
    if (patch.ReadAt(0, now.data(), static_cast<std::int64_t>(now.size())) < 0) return false;
    return now == state.headerBytes;
}

std::uint64_t LittleEndian(const std::uint8_t* bytes, int width)
{
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

}  // namespace engine
