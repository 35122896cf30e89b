// A window built from its stored design: a top-level window of a fixed
// client size, the pictures, flat buttons and labels drawn on it, the
// windowed controls (EDIT, BUTTON) as children, tool tips, and the events
// the forms handle. Every message reaches a handler through platform::Dispatch.
//
// The design is in pixels at 96 dots per inch. The window lays it out for
// the DPI of the display it stands on: every position, size and font height
// times DPI / 96, rounded as MulDiv rounds, and each picture's drawing for
// that scale; it lays itself out again when it moves to a display of
// another DPI. The main window is owned by the application's window (the
// task-bar button, titled with the application's title).
#pragma once

#include "platform/Design.h"
#include "platform/win32/ApplicationWindow.h"
#include "platform/win32/Bitmap.h"
#include "platform/win32/Win32Controls.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform::win32 {

using Handler = std::function<void()>;

class Win32Window : public Form {
public:
    // owner: the window this one stays above (nullptr for the main window).
    Win32Window(const FormDesign& design, Win32Window* owner);
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    Bounds BoundsRect() const override;
    void SetPosition(int left, int top) override;
    // Shows the window with its owner disabled; returns once it is hidden.
    void ShowModal() override;
    // The main window is destroyed (which ends the message loop); others hide.
    void Close() override;
    void AppendSystemMenu(const std::string& text, std::uint32_t command) override;
    void AcceptFiles(bool accept) override;

    // The main window's first showing: its task-bar button, then the
    // window centred on the work area.
    void ShowCentred();

    // The controls the forms hold, by design name (std::out_of_range otherwise).
    Edit& EditOf(const std::string& name);
    Memo& MemoOf(const std::string& name);
    CheckBox& CheckBoxOf(const std::string& name);
    Label& LabelOf(const std::string& name);
    HWND Handle() const { return window_; }
    // The application's window that owns the main window; nullptr for others.
    HWND ApplicationHandle() const { return application_ ? application_->Handle() : nullptr; }
    // The child window of a windowed control or flat button, or nullptr.
    HWND ChildOf(const std::string& name) const;
    // The dots per inch the window is laid out for.
    UINT Dpi() const { return dpi_; }

    void OnClick(const std::string& control, Handler handler);
    void OnMouseMove(const std::string& control, Handler handler);
    void OnFirstShow(Handler handler) { onFirstShow_ = std::move(handler); }
    void OnDropFiles(std::function<void(const std::vector<std::string>&)> handler) { onDrop_ = std::move(handler); }
    void OnSysCommand(std::function<void(std::uint32_t)> handler) { onSysCommand_ = std::move(handler); }
    // Asked when the user closes the window; false keeps it open.
    void OnCloseQuery(std::function<bool()> handler) { onCloseQuery_ = std::move(handler); }

protected:
    void Show() override;  // the caption

private:
    // One control of the design.
    struct Part {
        const ControlDesign* design = nullptr;
        HWND child = nullptr;  // windowed controls and flat buttons
        RECT rect{};           // in the client area, at the window's DPI
        Bitmap picture;        // at the window's DPI
        HFONT font = nullptr;  // the window's or its own, at the window's DPI
        HBRUSH brush = nullptr;
        UINT_PTR tool = 0;     // a tool tip registered on the window with the rectangle
        Handler onClick;
        Handler onMouseMove;
        bool hovered = false;
    };
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ButtonProcedure(HWND button, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR self);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Build(const ControlDesign& control);
    void AddTool(Part& part);
    // Positions, sizes, fonts and pictures for dpi; the client area too.
    void Layout(UINT dpi);
    int Scaled(int value) const { return MulDiv(value, static_cast<int>(dpi_), 96); }
    // Sizes the window so that its client area is the design's, scaled.
    void FitClientArea();
    void PaintOn(HDC dc);
    void DrawButton(const DRAWITEMSTRUCT& item);
    // A disabled check box, drawn here so that its caption stays readable.
    LRESULT CustomDraw(NMCUSTOMDRAW& draw);
    const Part* DrawnAt(int x, int y) const;
    Part* PartOf(HWND child);
    void Fire(const Handler& handler);

    const FormDesign& design_;
    HWND window_ = nullptr;
    HWND owner_ = nullptr;
    std::unique_ptr<ApplicationWindow> application_;  // the main window's only
    WindowIcons icons_;                                // the main window's only
    HWND tips_ = nullptr;
    UINT dpi_ = 96;
    std::vector<std::unique_ptr<Part>> parts_;
    std::vector<HFONT> fonts_;  // of the current layout
    std::vector<HBRUSH> brushes_;
    std::map<std::string, std::unique_ptr<Win32Edit>> edits_;
    std::map<std::string, std::unique_ptr<Win32Memo>> memos_;
    std::map<std::string, std::unique_ptr<Win32CheckBox>> checkBoxes_;
    std::map<std::string, std::unique_ptr<Win32Label>> labels_;
    Handler onFirstShow_;
    std::function<void(const std::vector<std::string>&)> onDrop_;
    std::function<void(std::uint32_t)> onSysCommand_;
    std::function<bool()> onCloseQuery_;
    bool shown_ = false;
    bool modal_ = false;
    const Part* pressed_ = nullptr;
};

}  // namespace platform::win32
