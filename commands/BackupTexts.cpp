#include "commands/BackupTexts.h"

#include "kdx/File.h"

namespace commands {

using std::to_string;

std::string BackupErrorText(const kdx::BackupResult& r)
{
    const std::string nothing = " Nothing was written to the image.";
    switch (r.status) {
    case kdx::BackupStatus::Written:
    case kdx::BackupStatus::NotNeeded: return {};
    case kdx::BackupStatus::SameAsImage: return "The backup would replace the image (" + r.path + ")." + nothing;
    case kdx::BackupStatus::SameAsPatch: return "The backup would replace the patch (" + r.path + ")." + nothing;
    case kdx::BackupStatus::CantReadImage:
        return "Can't read the image for its backup (" + r.path + "): " +
               (r.error != 0 ? kdx::SystemErrorText(r.error) : std::string("it ended early")) + "." + nothing;
    case kdx::BackupStatus::CantCreate:
    case kdx::BackupStatus::CantWrite:
    case kdx::BackupStatus::CantPlace:
        return "Can't write the backup (" + r.path + "): " + kdx::SystemErrorText(r.error) + "." + nothing;
    }
    return {};
}

std::string BackupWrittenText(const kdx::BackupResult& r)
{
    std::string text = "Backup written (" + r.path + ", " + to_string(r.records) +
                       (r.records == 1 ? " record" : " records") + "): applying it puts the image's bytes back.";
    if (r.Grows())
        text += "\nThe patch grows the image from " + to_string(r.imageLength) + " to " + to_string(r.writeEnd) +
                " Bytes; the backup cannot shorten it: the grown tail stays, zero-filled.";
    return text;
}

}  // namespace commands
