#include "platform/qt/Widgets.h"

#include "platform/Dispatch.h"
#include "platform/Jpeg.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPainter>
#include <QTimer>
#include <QUrl>
#include <qdrawutil.h>

#include <cstdio>
#include <exception>

namespace platform::qt {

void Fire(const Handler& handler)
{
    if (handler) platform::Dispatch(handler);
}

FlatButton::FlatButton(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void FlatButton::paintEvent(QPaintEvent*)
{
    const bool sunken = isDown();
    if (!sunken && !underMouse()) return;
    QPainter painter(this);
    qDrawShadePanel(&painter, rect(), palette(), sunken, 1);
}

void FlatButton::enterEvent(QEnterEvent* event)
{
    QAbstractButton::enterEvent(event);
    update();
}

void FlatButton::leaveEvent(QEvent* event)
{
    QAbstractButton::leaveEvent(event);
    update();
}

void MouseEvents::Press(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) pressed_ = true;
}

void MouseEvents::Release(QWidget* self, QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    if (self->rect().contains(event->position().toPoint())) Fire(onClick);
}

PictureBox::PictureBox(std::span<const PictureDrawing> drawings, const char* name, QWidget* parent)
    : QWidget(parent), drawings_(drawings), name_(name)
{
    setMouseTracking(true);
}

const QImage& PictureBox::Image(qreal ratio)
{
    static const QImage none;
    const PictureDrawing* drawing = DrawingFor(drawings_, qRound(ratio * 96));
    if (drawing == nullptr) return none;
    const auto [at, made] = decoded_.try_emplace(drawing->percent);
    if (!made) return at->second;
    try {
        const RgbImage rgb = DecodeJpeg(drawing->jpeg);
        at->second = QImage(rgb.rgb.data(), rgb.width, rgb.height, rgb.width * 3, QImage::Format_RGB888)
                         .convertToFormat(QImage::Format_RGB32);
        at->second.setDevicePixelRatio(drawing->percent / 100.0);
    } catch (const std::exception& e) {
        // The pictures are built into the program; a broken one leaves its place empty.
        std::fprintf(stderr, "%s: %s\n", name_.c_str(), e.what());
    }
    return at->second;
}

QSize PictureBox::DesignSize()
{
    const QImage& image = Image(1.0);
    return image.isNull() ? QSize() : image.deviceIndependentSize().toSize();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    const QImage& image = Image(devicePixelRatioF());
    QPainter painter(this);
    // Only a drawing made for another scale is resampled.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QPointF(0, 0), image);
}

void PictureBox::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    Move();
}

ClickLabel::ClickLabel(QWidget* parent) : QLabel(parent) { setMouseTracking(true); }

void ClickLabel::mouseMoveEvent(QMouseEvent* event)
{
    QLabel::mouseMoveEvent(event);
    Move();
}

int EtchedDisabledTextStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                                       QStyleHintReturn* returnData) const
{
    if (hint == SH_EtchDisabledText) return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

FormWidget::FormWidget(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {}

void FormWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (shown_ || event->spontaneous()) return;
    shown_ = true;
    // Runs once the window is on screen, before any input reaches it.
    if (onFirstShow) QTimer::singleShot(0, this, [this] { Fire(onFirstShow); });
}

void FormWidget::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (!onFramed || frameGeometry().size() == size()) return;
    const Handler once = std::move(onFramed);
    onFramed = nullptr;
    once();
}

void FormWidget::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous() && onHidden) onHidden();
}

void FormWidget::closeEvent(QCloseEvent* event)
{
    bool allow = true;
    if (onCloseQuery) platform::Dispatch([&] { allow = onCloseQuery(); });
    if (allow)
        QWidget::closeEvent(event);
    else
        event->ignore();
}

void FormWidget::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void FormWidget::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void FormWidget::dropEvent(QDropEvent* event)
{
    std::vector<std::string> names;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) names.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    event->acceptProposedAction();
    // Handled after the drag has ended, so that a box it shows does not hold
    // up the program the files came from.
    if (onDropFiles)
        QTimer::singleShot(0, this, [this, names] { platform::Dispatch([&] { onDropFiles(names); }); });
}

void FormWidget::contextMenuEvent(QContextMenuEvent* event)
{
    if (onContextMenu) onContextMenu(event->globalPos());
}

}  // namespace platform::qt
