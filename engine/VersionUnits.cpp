#include "VersionUnits.h"

#include "uKDX1.h"
#include "uKDX2.h"
#include "uKDX3.h"

namespace engine {

namespace {
constexpr VersionUnit kUnits[] = {
    {"1.0", uKDX1::ReadHeader, uKDX1::BuildInfoLines, nullptr, nullptr, nullptr, uKDX1::ApplyPatch, nullptr,
     uKDX1::Loaded, [](bool) { return uKDX1::Records(); }},
    {"2.0", uKDX2::ReadHeader, uKDX2::BuildInfoLines, nullptr, uKDX2::CheckImageSize, uKDX2::ValidateImage,
     uKDX2::ApplyPatch, nullptr, uKDX2::Loaded, [](bool) { return uKDX2::Records(); }},
    {"3.0", uKDX3::ReadHeader, uKDX3::BuildInfoLines, uKDX3::HasUndoData, nullptr, uKDX3::ValidateImage,
     uKDX3::ApplyPatch, uKDX3::ApplyUndo, uKDX3::Loaded, uKDX3::Records},
};
}  // namespace

const VersionUnit* UnitForMethod(int method)
{
    if (method < 0 || method >= static_cast<int>(std::size(kUnits))) return nullptr;
    return &kUnits[method];
}

}  // namespace engine
