// What the library's tests share: a patch read as the window reads it, an
// observer that counts steps, and an apply's result as the box a user sees.
#pragma once

#include "commands/ResultTexts.h"
#include "kdx/Apply.h"
#include "kdx/Patch.h"

#include <string>
#include <vector>

namespace kdxtest {

class Steps final : public kdx::Observer {
public:
    void Step(std::int64_t, std::int64_t) override { ++steps; }
    int steps = 0;
};

// The patch in the open file, read by the layout of its method byte.
inline kdx::Patch Read(kdx::File& file, const std::string& path)
{
    return kdx::ReadPatch(file, path, *kdx::LayoutForMethod(kdx::ReadMethod(file)));
}

// The boxes the window shows for the result: none after a written patch.
inline std::vector<std::string> Boxes(const kdx::ApplyResult& result)
{
    if (result.Written()) return {};
    return {commands::ApplyErrorText(result)};
}

}  // namespace kdxtest
