// Writes the workloads as KDX patch files, laid out byte by byte from the
// format's tables (independent of the program's own patch writer).
#pragma once

#include "bench/Workloads.h"

#include <cstdint>
#include <string>

namespace bench {

enum class Layout { V1, V2, V3, V3Undo };

// Where a written patch keeps its records: what a floor loop needs to walk them.
struct PatchFile {
    std::string path;
    Layout layout = Layout::V3;
    std::int64_t recordStart = 0;
    std::int64_t recordEnd = 0;  // RecordAreaEnd (no trailer is written)
    int offsetWidth = 8;         // 4 for versions 1.0 and 2.0
    bool undoBytes = false;
    std::int64_t size = 0;
};

const char* LayoutName(Layout layout);  // "v1", "v2", "v3", "v3+undo"

// The records of the workload, as the layout's patch, against the image
// before (which gives the v2 size, the block of v2/v3 and the undo bytes).
// Throws std::runtime_error when the file cannot be written.
PatchFile WritePatch(const std::string& path, Layout layout, const Workload& workload, const Bytes& before);

}  // namespace bench
