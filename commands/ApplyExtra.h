// Work that a caller adds around the writing of an apply: the terminal's
// backup of the bytes an apply overwrites, and the repair of raw sectors.
// The window adds none.
#pragma once

#include "kdx/File.h"
#include "kdx/Image.h"
#include "kdx/Patch.h"

namespace commands {

class ApplyExtra {
public:
    virtual ~ApplyExtra() = default;
    // After every check and question, before the first byte is written.
    // False, after its own message, cancels the apply: nothing is written.
    virtual bool BeforeWrite(const kdx::Patch& loaded, kdx::File& patch, kdx::Image& image,
                             const kdx::WriteChoice& writes) = 0;
    // After the records were written and made durable, before success is
    // shown. False, after its own message, ends the apply as failed.
    virtual bool AfterWrite(const kdx::Patch& loaded, kdx::File& patch, kdx::Image& image,
                            const kdx::WriteChoice& writes) = 0;
};

}  // namespace commands
