// apply --fix-sectors: the raw sectors that the records touch and whose
// EDC/ECC were right before the apply get them recomputed after it; behind
// a cue sheet only those of tracks whose mode carries EDC/ECC.
#pragma once

#include "commands/ApplyExtra.h"
#include "kdx/SectorBitmap.h"
#include "kdx/SectorLayout.h"

#include <memory>

namespace cli {

class SectorExtra final : public commands::ApplyExtra {
public:
    bool BeforeWrite(const kdx::Patch& loaded, kdx::File& patch, kdx::Image& image,
                     const kdx::WriteChoice& writes) override;
    bool AfterWrite(const kdx::Patch& loaded, kdx::File& patch, kdx::Image& image,
                    const kdx::WriteChoice& writes) override;

private:
    // The image's sectors, and the touched ones that were right; none when
    // the image is not raw.
    kdx::SectorLayout layout_;
    std::unique_ptr<kdx::SectorBitmap> right_;
};

}  // namespace cli
