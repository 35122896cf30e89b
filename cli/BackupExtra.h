// apply --backup: before the first write, the bytes the apply overwrites
// go into a backup patch; without it, nothing is written.
#pragma once

#include "commands/ApplyExtra.h"

#include <string>
#include <utility>

namespace cli {

class BackupExtra final : public commands::ApplyExtra {
public:
    BackupExtra(std::string backupPath, std::string imagePath)
        : backup_(std::move(backupPath)), image_(std::move(imagePath))
    {
    }
    bool BeforeWrite(const kdx::Patch& loaded, kdx::File& patch, kdx::Image& image,
                     const kdx::WriteChoice& writes) override;
    bool AfterWrite(const kdx::Patch&, kdx::File&, kdx::Image&, const kdx::WriteChoice&) override { return true; }

private:
    std::string backup_;
    std::string image_;
};

}  // namespace cli
