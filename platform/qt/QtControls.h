// The form controls over real widgets: each keeps its value in the platform
// control and mirrors every change into its widget.
#pragma once

#include "platform/Controls.h"
#include "platform/Design.h"

#include <QColor>
#include <QFont>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPalette;

namespace platform::qt {

// 0x00BBGGRR, or a system colour taken from the palette.
QColor ToQColor(Color color, const QPalette& palette);
// The design's font at its pixel height, never scaled.
QFont ToQFont(const FontDesign& font);

class QtEdit : public Edit {
public:
    explicit QtEdit(QLineEdit* widget) : widget_(widget) {}
    QLineEdit* Widget() const { return widget_; }

protected:
    void Show() override;

private:
    QLineEdit* widget_;
};

// Shows the entries' display lines, bytes decoded as Windows-1252.
class QtMemo : public Memo {
public:
    explicit QtMemo(QPlainTextEdit* widget) : widget_(widget) {}
    QPlainTextEdit* Widget() const { return widget_; }

protected:
    void Show() override;

private:
    QPlainTextEdit* widget_;
};

class QtCheckBox : public CheckBox {
public:
    explicit QtCheckBox(QCheckBox* widget);
    QCheckBox* Widget() const { return widget_; }

protected:
    void Show() override;

private:
    QCheckBox* widget_;
};

class QtLabel : public Label {
public:
    explicit QtLabel(QLabel* widget) : widget_(widget) {}
    QLabel* Widget() const { return widget_; }

protected:
    void Show() override;

private:
    QLabel* widget_;
};

}  // namespace platform::qt
