#include "platform/qt/QtApplication.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QSettings>
#include <QWidget>

namespace platform::qt {
namespace {
QString title_;
}  // namespace

void PrepareEnvironment()
{
    // 125 % is 1.25, not rounded to a whole factor: the windows grow by the
    // desktop's scale as the Windows program does, and draw the pictures
    // made for it.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

void ShowTitleOn(QWidget* window) { window->setWindowIconText(title_); }

void SetUpApplication(const char* title, const std::vector<std::span<const unsigned char>>& iconPngs)
{
    // The program keeps no settings, but the toolkit's file dialog stores
    // its history of its own accord: user settings are given a place where
    // no file can be made, "/dev/null" being no folder.
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, "/dev/null");
    QCoreApplication::setApplicationName("mendrix");
    QGuiApplication::setDesktopFileName("mendrix");
    // Not the toolkit's display name: that would be appended to every
    // window caption. The title is the windows' icon text instead, which is
    // what task bars show for the program.
    title_ = QString::fromUtf8(title);
    // Metric-compatible stand-ins for the designs' fonts.
    QFont::insertSubstitution("MS Sans Serif", "Liberation Sans");
    QFont::insertSubstitution("Courier New", "Liberation Mono");
    QFont::insertSubstitution("Verdana", "DejaVu Sans");
    QIcon icon;
    for (const auto png : iconPngs) {
        QPixmap pixmap;
        if (pixmap.loadFromData(png.data(), static_cast<uint>(png.size()), "PNG")) icon.addPixmap(pixmap);
    }
    QApplication::setWindowIcon(icon);
}

}  // namespace platform::qt

