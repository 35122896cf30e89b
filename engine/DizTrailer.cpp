#include "DizTrailer.h"

#include "LoadedPatch.h"

#include <algorithm>

namespace engine {

DizTrailer ReadDizTrailer(uStd::FileHandle& patch, std::int64_t fileLength, std::int64_t headerLength,
                          int lengthBytes)
{
    DizTrailer diz;
    diz.nonRecordBytes = headerLength;
    const std::int64_t tagAt = fileLength - 3 - lengthBytes;
    std::uint8_t tail[7] = {};
    if (tagAt < 0 || patch.ReadAt(tagAt, tail, 3 + lengthBytes) != 3 + lengthBytes) return diz;
    if (tail[0] != 'D' || tail[1] != 'I' || tail[2] != 'Z') return diz;

    diz.present = true;
    diz.length = static_cast<std::uint32_t>(LittleEndian(tail + 3, lengthBytes));
    diz.nonRecordBytes = headerLength + diz.length + 18 + 16 + lengthBytes;
    const std::int64_t textAt = fileLength - (static_cast<std::int64_t>(diz.length) + 16 + lengthBytes);
    if (textAt >= 0) {
        diz.text.resize(static_cast<std::size_t>(std::min<std::int64_t>(diz.length, kDizTextMax)));
        const std::int64_t got = patch.ReadAt(textAt, diz.text.data(), static_cast<std::int64_t>(diz.text.size()));
        diz.text.resize(static_cast<std::size_t>(std::max<std::int64_t>(got, 0)));
    }
    return diz;
}

}  // namespace engine
