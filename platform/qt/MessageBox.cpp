#include "platform/qt/MessageBox.h"

#include "platform/qt/QtServices.h"

#include <QPushButton>

namespace platform::qt {
namespace {

class Box : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    // A button or Escape ends the box without a close event; a close (from
    // the window manager) would count as the escape button, No. Closed
    // without a button, the box gives no answer.
    void closeEvent(QCloseEvent* event) override { QDialog::closeEvent(event); }
};

}  // namespace

QString BoxText(const std::string& text)
{
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace("\r\n", "\n");
    shown.replace('\r', '\n');
    return shown;
}

ModalResult ShowMessageBox(QMessageBox::Icon icon, const QString& caption, const std::string& text,
                           MsgDlgButtons buttons)
{
    Box box(icon, caption, BoxText(text), QMessageBox::NoButton, ModalParent());
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    QPushButton* ok = nullptr;
    QPushButton* yes = nullptr;
    QPushButton* no = nullptr;
    if (buttons == MsgDlgButtons::mbOK) {
        ok = box.addButton("OK", QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
    } else {
        yes = box.addButton("&Yes", QMessageBox::YesRole);
        no = box.addButton("&No", QMessageBox::NoRole);
        box.setDefaultButton(yes);
    }
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    if (clicked == nullptr) return ModalResult::mrNone;
    if (clicked == ok) return ModalResult::mrOk;
    if (clicked == yes) return ModalResult::mrYes;
    if (clicked == no) return ModalResult::mrNo;
    return ModalResult::mrNone;
}

}  // namespace platform::qt
