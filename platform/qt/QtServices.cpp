#include "platform/qt/QtServices.h"

#include "platform/qt/FileFilter.h"
#include "platform/qt/MessageBox.h"

#include "platform/qt/TextViewer.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>

namespace platform::qt {

QWidget* ModalParent()
{
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

QtServices::QtServices() { SetServices(this); }

QtServices::~QtServices()
{
    SetServices(nullptr);
    while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
}

ModalResult QtServices::MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons)
{
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (type) {
    case MsgDlgType::mtWarning: icon = QMessageBox::Warning; break;
    case MsgDlgType::mtError: icon = QMessageBox::Critical; break;
    case MsgDlgType::mtInformation: icon = QMessageBox::Information; break;
    case MsgDlgType::mtConfirmation: icon = QMessageBox::Question; break;
    }
    return ShowMessageBox(icon, CaptionOf(type), text, buttons);
}

void QtServices::ShowGeneralError(const std::string& text)
{
    ShowMessageBox(QMessageBox::Critical, kTitle, text, MsgDlgButtons::mbOK);
}

void QtServices::ProcessMessages()
{
    if (throttle_.Due()) QCoreApplication::processEvents();
}

void QtServices::SetScreenCursor(Cursor cursor)
{
    cursor_ = cursor;
    if (cursor == crDefault) {
        while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
        return;
    }
    const Qt::CursorShape shape = cursor == crHourGlass ? Qt::WaitCursor : Qt::ArrowCursor;
    if (QApplication::overrideCursor() != nullptr)
        QApplication::changeOverrideCursor(shape);
    else
        QApplication::setOverrideCursor(shape);
}

std::optional<std::string> QtServices::OpenFileDialog(const std::string& title, const std::string& filter)
{
    QFileDialog dialog(ModalParent(), QString::fromUtf8(title.c_str()), folder_);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setWindowModality(Qt::ApplicationModal);
    const QStringList filters = ToQtNameFilters(filter);
    dialog.setNameFilters(filters);
    if (filterIndex_ < filters.size()) dialog.selectNameFilter(filters[filterIndex_]);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    folder_ = dialog.directory().absolutePath();
    if (!accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    const auto index = FilterIndexOf(filters, dialog.selectedNameFilter());
    if (index >= 0) filterIndex_ = static_cast<int>(index);
    return QFile::encodeName(chosen.first()).toStdString();
}

std::string QtServices::OpenDocument(const std::string& path) { return ShowTextDocument(path, ModalParent()); }

}  // namespace platform::qt
