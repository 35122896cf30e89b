#include "cli/BackupExtra.h"

#include "commands/BackupTexts.h"
#include "kdx/Backup.h"
#include "platform/Services.h"

namespace cli {

bool BackupExtra::BeforeWrite(const kdx::Patch& loaded, kdx::File& patch, kdx::Image& image,
                              const kdx::WriteChoice& writes)
{
    const kdx::BackupResult result = kdx::WriteBackup({backup_, image_}, loaded, patch, image, writes);
    // Unsound records: the apply refuses them next, with nothing written.
    if (result.status == kdx::BackupStatus::NotNeeded) return true;
    if (!result.ok()) {
        platform::MessageDlg(commands::BackupErrorText(result), platform::MsgDlgType::mtError,
                             platform::MsgDlgButtons::mbOK);
        return false;
    }
    platform::MessageDlg(commands::BackupWrittenText(result), platform::MsgDlgType::mtInformation,
                         platform::MsgDlgButtons::mbOK);
    return true;
}

}  // namespace cli
