#include "platform/qt/QtWindow.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStyleFactory>

#include <algorithm>

namespace platform::qt {
namespace {

Qt::WindowFlags FlagsOf(const FormDesign& design)
{
    if (!design.border) return Qt::Dialog | Qt::FramelessWindowHint;
    // A fixed single border: caption, system menu, minimise and close; no maximise.
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
}

void SetBackground(QWidget* widget, QPalette::ColorRole role, Color color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, ToQColor(color, palette));
    widget->setPalette(palette);
}

bool IsWindowed(ControlKind kind)
{
    return kind == ControlKind::Memo || kind == ControlKind::Edit || kind == ControlKind::CheckBox;
}

}  // namespace

QtWindow::QtWindow(const FormDesign& design, QtWindow* owner)
    : widget_(new FormWidget(owner != nullptr ? owner->Widget() : nullptr, FlagsOf(design)))
{
    widget_->setFixedSize(design.clientWidth, design.clientHeight);
    widget_->setAutoFillBackground(true);
    SetBackground(widget_, QPalette::Window, design.color);
    widget_->setFont(ToQFont(design.font));
    if (!design.border) widget_->setAttribute(Qt::WA_QuitOnClose, false);
    widget_->onContextMenu = [this](const QPoint& pos) { Fire([this, pos] { ShowSystemMenu(nullptr, pos); }); };

    for (const ControlDesign& control : design.controls) Build(control);
    // Pictures, flat buttons and labels are drawn on the window itself, so
    // the windowed controls lie above them whatever their order.
    for (const ControlDesign& control : design.controls)
        if (IsWindowed(control.kind)) widgets_.at(control.name)->raise();

    std::vector<const ControlDesign*> stops;
    for (const ControlDesign& control : design.controls)
        if (control.tabOrder >= 0) stops.push_back(&control);
    std::sort(stops.begin(), stops.end(), [](auto* a, auto* b) { return a->tabOrder < b->tabOrder; });
    for (std::size_t i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(widgets_.at(stops[i - 1]->name), widgets_.at(stops[i]->name));
    if (!stops.empty()) widgets_.at(stops.front()->name)->setFocus();

    SetBounds({0, 0, design.clientWidth, design.clientHeight});
    SetCaption(design.caption);
}

QtWindow::~QtWindow()
{
    // The owner may have taken the widget down with its own already.
    delete widget_.data();
}

void QtWindow::Build(const ControlDesign& control)
{
    QWidget* widget = nullptr;
    switch (control.kind) {
    case ControlKind::Memo: {
        auto* memo = new QPlainTextEdit(widget_);
        memo->setReadOnly(control.readOnly);
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
        memo->setTabChangesFocus(true);  // Tab moves on, as in every other control
        if (control.bothScrollBars) {
            memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            // The application's style paints a bar as a near-white thumb on a
            // near-white track, which reads as no bar at all; the classic
            // style draws the raised 16-pixel bars of the form's design.
            if (!barStyle_) barStyle_.reset(QStyleFactory::create("Windows"));
            if (barStyle_) {
                memo->horizontalScrollBar()->setStyle(barStyle_.get());
                memo->verticalScrollBar()->setStyle(barStyle_.get());
            }
        }
        SetBackground(memo, QPalette::Base, control.color);
        memo->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(memo, &QWidget::customContextMenuRequested, memo, [this, memo](const QPoint& pos) {
            Fire([this, memo, pos] { ShowSystemMenu(memo, memo->viewport()->mapToGlobal(pos)); });
        });
        memos_[control.name] = std::make_unique<QtMemo>(memo);
        widget = memo;
        break;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(widget_);
        edit->setReadOnly(control.readOnly);
        SetBackground(edit, QPalette::Base, control.color);
        edit->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(edit, &QWidget::customContextMenuRequested, edit, [this, edit](const QPoint& pos) {
            Fire([this, edit, pos] { ShowSystemMenu(edit, edit->mapToGlobal(pos)); });
        });
        edits_[control.name] = std::make_unique<QtEdit>(edit);
        widget = edit;
        break;
    }
    case ControlKind::Picture: {
        auto* picture = new PictureBox(control.drawings, control.name, widget_);
        widget = picture;
        break;
    }
    case ControlKind::FlatButton:
        widget = new FlatButton(widget_);
        break;
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(QString::fromUtf8(control.caption), widget_);
        box->setAutoFillBackground(true);
        SetBackground(box, box->backgroundRole(), control.color);
        // Disabled, the caption is drawn as the platform draws disabled text on
        // a grey face: mid grey over a white etch (the toolkit's own disabled
        // grey would all but vanish on this face).
        QPalette palette = box->palette();
        palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(128, 128, 128));
        palette.setColor(QPalette::Disabled, QPalette::Light, Qt::white);
        box->setPalette(palette);
        box->setStyle(&etchedStyle_);
        auto wrapper = std::make_unique<QtCheckBox>(box);
        wrapper->SetEnabled(control.enabled);
        checkBoxes_[control.name] = std::move(wrapper);
        widget = box;
        break;
    }
    case ControlKind::Label: {
        auto* label = new ClickLabel(widget_);
        label->setAlignment(Qt::AlignCenter);
        label->setAutoFillBackground(true);
        SetBackground(label, label->backgroundRole(), control.color);
        auto wrapper = std::make_unique<QtLabel>(label);
        wrapper->SetText(control.caption != nullptr ? control.caption : "");
        labels_[control.name] = std::move(wrapper);
        widget = label;
        break;
    }
    }
    widget->setObjectName(QString::fromUtf8(control.name));
    if (control.font != nullptr) widget->setFont(ToQFont(*control.font));
    int width = control.width;
    int height = control.height;
    if (auto* picture = dynamic_cast<PictureBox*>(widget); picture != nullptr && !picture->DesignSize().isEmpty()) {
        width = picture->DesignSize().width();  // the picture control takes the picture's size
        height = picture->DesignSize().height();
    }
    widget->setGeometry(control.left, control.top, width, height);
    if (control.hint != nullptr) widget->setToolTip(QString::fromUtf8(control.hint));
    if (control.handPointer) widget->setCursor(Qt::PointingHandCursor);
    if (control.tabOrder < 0 && !IsWindowed(control.kind)) widget->setFocusPolicy(Qt::NoFocus);
    // Files are dropped on the window, whichever control lies beneath.
    widget->setAcceptDrops(false);
    widgets_[control.name] = widget;
}

void QtWindow::Show() { widget_->setWindowTitle(QString::fromUtf8(Caption().c_str())); }

Bounds QtWindow::BoundsRect() const
{
    const QRect r = widget_->frameGeometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

void QtWindow::SetPosition(int left, int top)
{
    Form::SetPosition(left, top);
    widget_->move(left, top);
}

void QtWindow::ShowModal()
{
    Form::ShowModal();
    widget_->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    widget_->onHidden = [&loop] { loop.quit(); };
    widget_->show();
    widget_->raise();
    widget_->activateWindow();
    if (widget_->isVisible()) loop.exec(QEventLoop::DialogExec);
    widget_->onHidden = nullptr;
    SetVisible(false);
}

void QtWindow::Close()
{
    Form::Close();
    widget_->close();
}

void QtWindow::AcceptFiles(bool accept)
{
    Form::AcceptFiles(accept);
    widget_->setAcceptDrops(accept);
}

void QtWindow::ShowCentred()
{
    CentreFrame();  // by the client area: no frame is known before showing
    widget_->show();
    SetVisible(true);
    // So that the frame, not the client area, stands centred. An X11
    // window manager frames the window only after it is mapped (asked for
    // earlier, the frame would be taken as none for good); elsewhere the
    // frame is known once the window exists.
    if (QGuiApplication::platformName() == "xcb")
        widget_->onFramed = [this] { CentreFrame(); };
    else
        CentreFrame();
}

void QtWindow::CentreFrame()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->geometry();
    const QSize size = widget_->frameGeometry().size();
    widget_->move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

void QtWindow::ShowSystemMenu(QWidget* over, const QPoint& globalPos)
{
    std::unique_ptr<QMenu> menu;
    if (auto* edit = qobject_cast<QLineEdit*>(over))
        menu.reset(edit->createStandardContextMenu());
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(over))
        menu.reset(memo->createStandardContextMenu());
    else
        menu = std::make_unique<QMenu>(widget_);
    if (!SystemMenu().empty() && !menu->isEmpty()) menu->addSeparator();
    std::map<const QAction*, std::uint32_t> commands;
    for (const MenuEntry& entry : SystemMenu())
        commands[menu->addAction(QString::fromUtf8(entry.first.c_str()))] = entry.second;
    const QAction* chosen = menu->isEmpty() ? nullptr : menu->exec(globalPos);
    const auto found = commands.find(chosen);
    const bool isEntry = found != commands.end();
    const std::uint32_t command = isEntry ? found->second : 0;
    menu.reset();
    if (isEntry && onSysCommand_) Fire([this, command] { onSysCommand_(command); });
}

Edit& QtWindow::EditOf(const std::string& name) { return *edits_.at(name); }
Memo& QtWindow::MemoOf(const std::string& name) { return *memos_.at(name); }
CheckBox& QtWindow::CheckBoxOf(const std::string& name) { return *checkBoxes_.at(name); }
Label& QtWindow::LabelOf(const std::string& name) { return *labels_.at(name); }
QWidget* QtWindow::WidgetOf(const std::string& name) const { return widgets_.at(name); }

void QtWindow::OnClick(const std::string& control, Handler handler)
{
    QWidget* widget = widgets_.at(control);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        QObject::connect(button, &QAbstractButton::clicked, button, [handler] { Fire(handler); });
    } else if (auto* events = dynamic_cast<MouseEvents*>(widget)) {
        events->onClick = std::move(handler);
    }
}

void QtWindow::OnMouseMove(const std::string& control, Handler handler)
{
    if (auto* events = dynamic_cast<MouseEvents*>(widgets_.at(control))) events->onMouseMove = std::move(handler);
}

void QtWindow::OnFirstShow(Handler handler) { widget_->onFirstShow = std::move(handler); }

void QtWindow::OnDropFiles(std::function<void(const std::vector<std::string>&)> handler)
{
    widget_->onDropFiles = std::move(handler);
}

void QtWindow::OnSysCommand(std::function<void(std::uint32_t)> handler) { onSysCommand_ = std::move(handler); }

void QtWindow::OnCloseQuery(std::function<bool()> handler) { widget_->onCloseQuery = std::move(handler); }

}  // namespace platform::qt
