// The Qt backend's services: modal message boxes, the one open-file
// dialog, the throttled pump, the busy cursor and the document viewer.
#pragma once

#include "platform/PumpThrottle.h"
#include "platform/Services.h"

#include <QString>

class QWidget;

namespace platform::qt {

class QtServices : public Services {
public:
    // Installs itself as the program's services; needs the QApplication.
    QtServices();
    ~QtServices() override;
    QtServices(const QtServices&) = delete;
    QtServices& operator=(const QtServices&) = delete;

    ModalResult MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons) override;
    void ShowGeneralError(const std::string& text) override;
    // Processes pending events at most every ~15 ms; otherwise costs a counter.
    void ProcessMessages() override;
    Cursor ScreenCursor() const override { return cursor_; }
    void SetScreenCursor(Cursor cursor) override;
    std::optional<std::string> OpenFileDialog(const std::string& title, const std::string& filter) override;
    // A window of the program's own shows the document as plain text: a
    // desktop may have no viewer for a guide written in Markdown.
    std::string OpenDocument(const std::string& path) override;

private:
    PumpThrottle throttle_;
    Cursor cursor_ = crDefault;
    // Kept between showings; each showing has a dialog of its own, so that
    // no file name and no completion list outlive the showing.
    QString folder_;
    int filterIndex_ = 0;  // the entry a file was last confirmed with
};

// The window a modal box or dialog belongs to: the active one, if any.
QWidget* ModalParent();

}  // namespace platform::qt
