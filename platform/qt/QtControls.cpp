#include "platform/qt/QtControls.h"

#include "platform/MemoText.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QSignalBlocker>

namespace platform::qt {

QColor ToQColor(Color color, const QPalette& palette)
{
    if ((color >> 24) == 0xFF) {
        switch (color & 0xFF) {
        case clWindow & 0xFF: return palette.color(QPalette::Base);
        case clWindowText & 0xFF: return palette.color(QPalette::WindowText);
        case clBtnFace & 0xFF: return palette.color(QPalette::Button);
        default: return palette.color(QPalette::Window);
        }
    }
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

QFont ToQFont(const FontDesign& design)
{
    QFont font(QString::fromUtf8(design.name));
    font.setPixelSize(design.height);
    font.setBold(design.bold);
    if (design.fixedPitch) {
        font.setFixedPitch(true);
        font.setStyleHint(QFont::TypeWriter);
    }
    return font;
}

void QtEdit::Show() { widget_->setText(QFile::decodeName(QByteArray::fromStdString(Text()))); }

void QtMemo::Show()
{
    QStringList shown;
    for (const std::string& line : DisplayLines(Lines())) shown += QString::fromStdString(MemoLineToUtf8(line, false));
    widget_->setPlainText(shown.join('\n'));
}

QtCheckBox::QtCheckBox(QCheckBox* widget) : widget_(widget)
{
    QObject::connect(widget_, &QCheckBox::toggled, widget_, [this](bool checked) { Take(checked); });
    Show();
}

void QtCheckBox::Show()
{
    const QSignalBlocker quiet(widget_);
    widget_->setChecked(Checked());
    widget_->setEnabled(Enabled());
}

void QtLabel::Show()
{
    widget_->setText(QString::fromUtf8(Text().c_str()));
    QPalette palette = widget_->palette();
    palette.setColor(QPalette::WindowText, ToQColor(FontColor(), QPalette()));
    widget_->setPalette(palette);
    QFont font = widget_->font();
    font.setUnderline(Underlined());
    widget_->setFont(font);
}

}  // namespace platform::qt
