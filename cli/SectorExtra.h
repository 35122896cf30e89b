// apply --fix-sectors: the raw sectors that the records touch and whose
// EDC/ECC were right before the apply get them recomputed after it.
#pragma once

#include "commands/ApplyExtra.h"
#include "kdx/SectorBitmap.h"

#include <memory>

namespace cli {

class SectorExtra final : public commands::ApplyExtra {
public:
    bool BeforeWrite(const kdx::Patch& loaded, kdx::File& patch, kdx::File& image,
                     const kdx::WriteChoice& writes) override;
    bool AfterWrite(const kdx::Patch& loaded, kdx::File& patch, kdx::File& image,
                    const kdx::WriteChoice& writes) override;

private:
    // The touched sectors that were right; none when the image is not raw.
    std::unique_ptr<kdx::SectorBitmap> right_;
};

}  // namespace cli
