// The modal message box: the kind's icon and caption, "OK" or "&Yes" and
// "&No". Escape answers No, as the box's designers had it; a box closed by
// the window manager answers nothing (mrNone).
#pragma once

#include "platform/Services.h"

#include <QMessageBox>

namespace platform::qt {

// Texts break lines at CR LF, CR or LF.
QString BoxText(const std::string& text);

ModalResult ShowMessageBox(QMessageBox::Icon icon, const QString& caption, const std::string& text,
                           MsgDlgButtons buttons);

}  // namespace platform::qt
