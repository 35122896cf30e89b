// A window built from its stored design: the top-level widget, each
// control at its place with its look, and the events the form handles.
// The entries the form appends to its system menu make up the window's
// context menu (Linux desktops offer programs no system menu) and end the
// context menus of its edits and memo.
#pragma once

#include "platform/Design.h"
#include "platform/qt/QtControls.h"
#include "platform/qt/Widgets.h"

#include <QPointer>

#include <map>
#include <memory>
#include <string>

namespace platform::qt {

class QtWindow : public Form {
public:
    // owner: the window this one stays above (nullptr for the main window).
    QtWindow(const FormDesign& design, QtWindow* owner);
    ~QtWindow() override;
    QtWindow(const QtWindow&) = delete;
    QtWindow& operator=(const QtWindow&) = delete;

    Bounds BoundsRect() const override;
    void SetPosition(int left, int top) override;
    // Shows the window application-modal; returns once it is hidden again.
    void ShowModal() override;
    void Close() override;
    void AcceptFiles(bool accept) override;

    // The main window's first showing: its frame centred on the screen.
    void ShowCentred();

    // The controls the forms hold, by their design names. Throw
    // std::out_of_range for a name the design lacks.
    Edit& EditOf(const std::string& name);
    Memo& MemoOf(const std::string& name);
    CheckBox& CheckBoxOf(const std::string& name);
    Label& LabelOf(const std::string& name);
    QWidget* WidgetOf(const std::string& name) const;
    FormWidget* Widget() const { return widget_.data(); }

    // Events, each routed through platform::Dispatch.
    void OnClick(const std::string& control, Handler handler);
    void OnMouseMove(const std::string& control, Handler handler);
    void OnFirstShow(Handler handler);
    void OnDropFiles(std::function<void(const std::vector<std::string>&)> handler);
    void OnSysCommand(std::function<void(std::uint32_t)> handler);
    // Asked when the window is to close; false keeps it open.
    void OnCloseQuery(std::function<bool()> handler);

protected:
    void Show() override;  // the caption

private:
    void Build(const ControlDesign& control);
    // Moves the window so that its outer frame stands centred on the screen.
    void CentreFrame();
    void ShowSystemMenu(QWidget* over, const QPoint& globalPos);

    QPointer<FormWidget> widget_;
    std::map<std::string, QWidget*> widgets_;
    std::map<std::string, std::unique_ptr<QtEdit>> edits_;
    std::map<std::string, std::unique_ptr<QtMemo>> memos_;
    std::map<std::string, std::unique_ptr<QtCheckBox>> checkBoxes_;
    std::map<std::string, std::unique_ptr<QtLabel>> labels_;
    std::function<void(std::uint32_t)> onSysCommand_;
    EtchedDisabledTextStyle etchedStyle_;  // outlives the widgets: deleted in the destructor's body
    std::unique_ptr<QStyle> barStyle_;     // the memo's scroll bars; outlives them likewise
};

}  // namespace platform::qt
