#include "platform/qt/TextViewer.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace platform::qt {

std::string ShowTextDocument(const std::string& path, QWidget* parent)
{
    const QString name = QFile::decodeName(QByteArray::fromStdString(path));
    // A folder opens as a file on some systems and reads as nothing.
    if (QFileInfo(name).isDir()) return "Is a directory";
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) return file.errorString().toStdString();
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return file.errorString().toStdString();

    QDialog window(parent);
    window.setWindowTitle(QFileInfo(name).fileName());
    window.setWindowModality(Qt::ApplicationModal);
    auto* text = new QPlainTextEdit(&window);
    text->setObjectName("document");
    text->setReadOnly(true);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text->setPlainText(QString::fromUtf8(bytes));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &window);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &window, &QDialog::reject);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(text);
    layout->addWidget(buttons);
    window.resize(720, 540);
    window.exec();
    return {};
}

}  // namespace platform::qt
