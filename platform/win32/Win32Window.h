// A window built from its stored design: a top-level window of a fixed
// client size, the pictures, flat buttons and labels drawn on it, the
// windowed controls (EDIT, BUTTON) as children, tool tips, and the events
// the forms handle. Every message reaches a handler through platform::Dispatch.
#pragma once

#include "platform/Design.h"
#include "platform/win32/Bitmap.h"
#include "platform/win32/Win32Controls.h"

#include <windows.h>

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

    // The main window's first showing: centred on the work area.
    void ShowCentred();

    // The controls the forms hold, by design name (std::out_of_range otherwise).
    Edit& EditOf(const std::string& name);
    Memo& MemoOf(const std::string& name);
    CheckBox& CheckBoxOf(const std::string& name);
    Label& LabelOf(const std::string& name);
    HWND Handle() const { return window_; }
    // The child window of a windowed control or flat button, or nullptr.
    HWND ChildOf(const std::string& name) const;

    void OnClick(const std::string& control, Handler handler);
    void OnMouseMove(const std::string& control, Handler handler);
    void OnFirstShow(Handler handler) { onFirstShow_ = std::move(handler); }
    void OnDropFiles(std::function<void(const std::vector<std::string>&)> handler) { onDrop_ = std::move(handler); }
    void OnSysCommand(std::function<void(std::uint32_t)> handler) { onSysCommand_ = std::move(handler); }

protected:
    void Show() override;  // the caption

private:
    // One control of the design.
    // One control of the design.
    struct Part {
        const ControlDesign* design = nullptr;
        HWND child = nullptr;  // windowed controls and flat buttons
        RECT rect{};
        Bitmap picture;
        HFONT font = nullptr;
        HBRUSH brush = nullptr;
        Handler onClick;
        Handler onMouseMove;
        bool hovered = false;
    };
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ButtonProcedure(HWND button, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR self);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Build(const ControlDesign& control, HFONT formFont);
    void Paint();
    void DrawButton(const DRAWITEMSTRUCT& item);
    const Part* DrawnAt(int x, int y) const;
    void Fire(const Handler& handler);

    const FormDesign& design_;
    HWND window_ = nullptr;
    HWND owner_ = nullptr;
    HWND tips_ = nullptr;
    std::vector<std::unique_ptr<Part>> parts_;
    std::vector<HFONT> fonts_;
    std::vector<HBRUSH> brushes_;
    std::map<std::string, std::unique_ptr<Win32Edit>> edits_;
    std::map<std::string, std::unique_ptr<Win32Memo>> memos_;
    std::map<std::string, std::unique_ptr<Win32CheckBox>> checkBoxes_;
    std::map<std::string, std::unique_ptr<Win32Label>> labels_;
    Handler onFirstShow_;
    std::function<void(const std::vector<std::string>&)> onDrop_;
    std::function<void(std::uint32_t)> onSysCommand_;
    bool shown_ = false;
    bool modal_ = false;
    const Part* pressed_ = nullptr;
};

}  // namespace platform::win32
