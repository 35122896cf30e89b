// The one place where an encoding method selects its version unit. Every
// unit offers the same operations; those a version lacks are null.
#pragma once

#include "LoadedPatch.h"
#include "RecordReader.h"
#include "uStd.h"

#include "../platform/Controls.h"

#include <string>

namespace engine {

struct VersionUnit {
    const char* version;  // "1.0", "2.0", "3.0"
    void (*ReadHeader)(uStd::FileHandle& patch, const std::string& path);
    platform::InfoLines (*BuildInfoLines)();
    bool (*HasUndoData)();                             // null: the version has no undo data
    bool (*CheckImageSize)(uStd::FileHandle& image);   // null: no size check
    bool (*ValidateImage)(uStd::FileHandle& image);    // null: no block check
    bool (*ApplyPatch)(uStd::FileHandle& patch, uStd::FileHandle& image);
    bool (*ApplyUndo)(uStd::FileHandle& patch, uStd::FileHandle& image);  // null: no undo apply
    const LoadedPatch& (*Loaded)();
    RecordFormat (*Records)(bool withUndo);  // where the loaded patch's records lie
};

// The unit of an encoding method, or null for a method that is not handled.
const VersionUnit* UnitForMethod(int method);

// True when the unit's loaded patch carries undo data.
inline bool HasUndo(const VersionUnit& unit) { return unit.HasUndoData != nullptr && unit.HasUndoData(); }

}  // namespace engine
