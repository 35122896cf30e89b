// The widgets the toolkit lacks: the flat button, the picture, a label and
// a top-level window that report the events the forms handle. Each event
// reaches its handler through platform::Dispatch.
#pragma once

#include "platform/Design.h"

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QProxyStyle>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

class QMenu;

namespace platform::qt {

using Handler = std::function<void()>;

// Runs the handler, if any, through the one dispatch.
void Fire(const Handler& handler);

// No caption and no face of its own: what lies beneath shows through. A
// raised frame while the pointer is over it, a sunken one while pressed;
// it never takes the focus.
class FlatButton : public QAbstractButton {
public:
    explicit FlatButton(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};

// Click and mouse-move events of a widget that has no signals for them.
class MouseEvents {
public:
    Handler onClick;
    Handler onMouseMove;

protected:
    void Press(QMouseEvent* event);
    void Release(QWidget* self, QMouseEvent* event);
    void Move() { Fire(onMouseMove); }

private:
    bool pressed_ = false;
};

// A picture drawn for several display scales. It paints the drawing made
// for the screen's scale pixel for pixel; between scales, the next larger
// drawing smoothly scaled down. Its size is that of the 100 % drawing.
class PictureBox : public QWidget, public MouseEvents {
public:
    PictureBox(std::span<const PictureDrawing> drawings, const char* name, QWidget* parent);
    // The drawing shown at a device pixel ratio, that drawing's scale as its
    // own ratio; a null image when it does not decode (a line on standard
    // error, once).
    const QImage& Image(qreal ratio = 1.0);
    // The 100 % drawing's size, or an empty one.
    QSize DesignSize();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override { Press(event); }
    void mouseReleaseEvent(QMouseEvent* event) override { Release(this, event); }
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    std::span<const PictureDrawing> drawings_;
    std::string name_;
    std::map<int, QImage> decoded_;  // by the scale drawn for
};

class ClickLabel : public QLabel, public MouseEvents {
public:
    explicit ClickLabel(QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* event) override { Press(event); }
    void mouseReleaseEvent(QMouseEvent* event) override { Release(this, event); }
    void mouseMoveEvent(QMouseEvent* event) override;
};

// The application's style, but disabled text is etched: drawn once in the
// light colour one pixel down and right, then in the disabled text colour,
// so that it stays readable on a grey face.
class EtchedDisabledTextStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
};

// A top-level window: reports its first showing, dropped files, context
// menu requests, requests to close it and its hiding.
class FormWidget : public QWidget {
public:
    FormWidget(QWidget* parent, Qt::WindowFlags flags);

    Handler onFirstShow;
    std::function<void(const std::vector<std::string>&)> onDropFiles;
    std::function<void(const QPoint& globalPos)> onContextMenu;
    std::function<void()> onHidden;
    // Asked at every request to close the window; false keeps it open.
    std::function<bool()> onCloseQuery;
    // Once, at the first move that finds the window in a frame (a window
    // manager frames a window only after it is on screen).
    Handler onFramed;

protected:
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool shown_ = false;
};

}  // namespace platform::qt
