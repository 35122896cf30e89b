// The facts of the last loaded patch of a version, gathered from its unit's
// state in one shape for every version (for listings such as JSON).
#pragma once

#include "RecordReader.h"

#include <cstdint>
#include <optional>
#include <string>

namespace engine {

struct PatchFacts {
    int method = 0;
    std::string version;  // "1.0", "2.0", "3.0"
    std::string path;
    std::int64_t fileLength = 0;
    std::int64_t patchDataLength = 0;
    std::string description;  // the 50 bytes as stored
    bool undoData = false;
    bool blockCheck = false;
    std::int64_t blockPosition = -1;         // where the image must hold the block; -1 without a check
    std::optional<std::uint32_t> imageSize;  // version 2.0
    std::optional<bool> giImage;             // version 3.0
    std::optional<std::string> diz;          // the FILE_ID.DIZ text (at most 3072 bytes)
    std::optional<std::uint32_t> dizLength;  // its stored length
    RecordFormat records;                    // where the records lie, read as the apply reads them
};

// The facts of the last load of the version with this encoding method.
// The method must be one that UnitForMethod knows.
PatchFacts FactsOf(int method);

}  // namespace engine
