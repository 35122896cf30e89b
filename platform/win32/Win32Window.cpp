#include "platform/win32/Win32Window.h"

#include "platform/Dispatch.h"
#include "platform/Services.h"
#include "utf16/Utf16.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <string>

namespace platform::win32 {

namespace {

constexpr wchar_t kClassName[] = L"MendrixForm";

DWORD StyleOf(const FormDesign& design)
{
    // A fixed single border with caption, system menu, minimise and close; no maximise.
    return design.border ? WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN
                         : WS_POPUP | WS_CLIPCHILDREN;
}

HFONT FontOf(const FontDesign& font, UINT dpi)
{
    // MS Sans Serif is a bitmap font, made in a few heights only. At 96 dots
    // per inch the designs keep it; at any other scale its outline twin is
    // drawn at the height asked for, not at the nearest height there is.
    std::string face = font.name;
    if (dpi != 96 && face == "MS Sans Serif") face = "Microsoft Sans Serif";
    // A negative height asks for the character height in pixels.
    return CreateFontW(-MulDiv(font.height, static_cast<int>(dpi), 96), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL,
                       FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       static_cast<BYTE>((font.fixedPitch ? FIXED_PITCH : DEFAULT_PITCH) | FF_DONTCARE),
                       utf16::Widen(face).c_str());
}

void RegisterClassOnce()
{
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;  // replaced per window once created
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
}

bool IsWindowed(ControlKind kind)
{
    return kind == ControlKind::Memo || kind == ControlKind::Edit || kind == ControlKind::CheckBox;
}

UINT DpiOf(HWND window)
{
    const UINT dpi = GetDpiForWindow(window);
    return dpi != 0 ? dpi : 96;
}

}  // namespace

Win32Window::Win32Window(const FormDesign& design, Win32Window* owner)
    : design_(design), owner_(owner != nullptr ? owner->Handle() : nullptr)
{
    RegisterClassOnce();
    HWND ownerWindow = owner_;
    if (owner == nullptr) {
        application_ = std::make_unique<ApplicationWindow>(kTitle, GetDpiForSystem());
        ownerWindow = application_->Handle();
    }
    // Created at the design's client size; Layout fits it to the display.
    window_ = CreateWindowExW(0, kClassName, L"", StyleOf(design), CW_USEDEFAULT, CW_USEDEFAULT, design.clientWidth,
                              design.clientHeight, ownerWindow, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure));
    if (application_) application_->SetMainWindow(window_);

    tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, GetModuleHandleW(nullptr),
                            nullptr);
    // Tab order: children are created in it, the windowed controls only.
    std::vector<const ControlDesign*> order;
    for (const ControlDesign& control : design.controls) order.push_back(&control);
    std::stable_sort(order.begin(), order.end(), [](auto* a, auto* b) {
        const int ka = a->tabOrder < 0 ? 1000 : a->tabOrder, kb = b->tabOrder < 0 ? 1000 : b->tabOrder;
        return ka < kb;
    });
    for (const ControlDesign* control : order) Build(*control);
    Layout(DpiOf(window_));
    for (const auto& part : parts_)
        if (part->design->tabOrder == 0 && part->child != nullptr) SetFocus(part->child);
    SetCaption(design.caption);
    SetBounds(BoundsRect());
}

Win32Window::~Win32Window()
{
    if (IsWindow(window_)) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    for (HFONT font : fonts_) DeleteObject(font);
    for (HBRUSH brush : brushes_) DeleteObject(brush);
    for (const auto& part : parts_)
        if (part->picture.handle != nullptr) DeleteObject(part->picture.handle);
}

void Win32Window::Build(const ControlDesign& control)
{
    auto part = std::make_unique<Part>();
    part->design = &control;
    if (IsWindowed(control.kind)) {
        part->brush = CreateSolidBrush(ToColorRef(control.color));
        brushes_.push_back(part->brush);
    }
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const DWORD tab = control.tabOrder >= 0 ? WS_TABSTOP : 0;
    auto child = [&](const wchar_t* cls, DWORD style, DWORD exStyle, const wchar_t* text) {
        return CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, window_, nullptr,
                               instance, nullptr);
    };
    switch (control.kind) {
    case ControlKind::Memo:
        part->child = child(L"EDIT",
                            tab | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | (control.readOnly ? ES_READONLY : 0) |
                                (control.bothScrollBars ? WS_VSCROLL | WS_HSCROLL : 0),
                            WS_EX_CLIENTEDGE, L"");
        memos_[control.name] = std::make_unique<Win32Memo>(part->child);
        break;
    case ControlKind::Edit:
        part->child = child(L"EDIT", tab | ES_AUTOHSCROLL | (control.readOnly ? ES_READONLY : 0), WS_EX_CLIENTEDGE, L"");
        edits_[control.name] = std::make_unique<Win32Edit>(part->child);
        break;
    case ControlKind::CheckBox: {
        part->child = child(L"BUTTON", tab | BS_AUTOCHECKBOX, 0, utf16::Widen(control.caption).c_str());
        auto box = std::make_unique<Win32CheckBox>(part->child);
        box->SetEnabled(control.enabled);
        checkBoxes_[control.name] = std::move(box);
        break;
    }
    case ControlKind::FlatButton:
        part->child = child(L"BUTTON", BS_OWNERDRAW, 0, L"");
        SetWindowSubclass(part->child, &ButtonProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
        break;
    case ControlKind::Picture: break;  // drawn for the display by Layout
    case ControlKind::Label: {
        auto label = std::make_unique<Win32Label>([this, at = part.get()] { InvalidateRect(window_, &at->rect, TRUE); });
        label->SetText(control.caption != nullptr ? control.caption : "");
        labels_[control.name] = std::move(label);
        break;
    }
    }
    if (part->child != nullptr) SetWindowLongPtrW(part->child, GWLP_ID, static_cast<LONG_PTR>(parts_.size() + 100));
    if (control.hint != nullptr) AddTool(*part);
    parts_.push_back(std::move(part));
}

void Win32Window::AddTool(Part& part)
{
    const std::wstring hint = utf16::Widen(part.design->hint);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window_;
    tool.lpszText = const_cast<wchar_t*>(hint.c_str());
    if (part.child != nullptr) {
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.uId = reinterpret_cast<UINT_PTR>(part.child);
        SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    // Drawn parts have their rectangle as the tool. So does a control that can
    // be disabled: a disabled window gets no mouse input, the window beneath
    // it does, and its hint must show all the same.
    if (part.child == nullptr || part.design->kind == ControlKind::CheckBox) {
        tool.uFlags = TTF_SUBCLASS;
        tool.uId = part.tool = parts_.size() + 100;
        SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void Win32Window::Layout(UINT dpi)
{
    dpi_ = dpi;
    const std::vector<HFONT> oldFonts = std::move(fonts_);
    fonts_.clear();
    const HFONT formFont = FontOf(design_.font, dpi);
    fonts_.push_back(formFont);
    for (const auto& part : parts_) {
        const ControlDesign& control = *part->design;
        const int left = Scaled(control.left), top = Scaled(control.top);
        part->rect = {left, top, left + Scaled(control.width), top + Scaled(control.height)};
        part->font = formFont;
        if (control.font != nullptr) {
            part->font = FontOf(*control.font, dpi);
            fonts_.push_back(part->font);
        }
        if (control.kind == ControlKind::Picture) {
            if (part->picture.handle != nullptr) DeleteObject(part->picture.handle);
            part->picture = BitmapFor(control.drawings, dpi, control.name);
            if (part->picture.handle != nullptr)  // the picture control takes the picture's size
                part->rect = {left, top, left + part->picture.width, top + part->picture.height};
        }
        if (part->child != nullptr) {
            SetWindowPos(part->child, nullptr, part->rect.left, part->rect.top, part->rect.right - part->rect.left,
                         part->rect.bottom - part->rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
            SendMessageW(part->child, WM_SETFONT, reinterpret_cast<WPARAM>(part->font), TRUE);
        }
        if (part->tool != 0) {
            TOOLINFOW tool{};
            tool.cbSize = sizeof tool;
            tool.hwnd = window_;
            tool.uId = part->tool;
            tool.rect = part->rect;
            SendMessageW(tips_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
    for (HFONT font : oldFonts) DeleteObject(font);
    if (application_) {
        application_->SetIcons(dpi);
        icons_.Set(window_, dpi);
    }
    FitClientArea();
    InvalidateRect(window_, nullptr, TRUE);
}

void Win32Window::FitClientArea()
{
    // The frame as the window has it now, whatever the system's metrics.
    RECT outer{}, client{};
    GetWindowRect(window_, &outer);
    GetClientRect(window_, &client);
    const int width = outer.right - outer.left - client.right + Scaled(design_.clientWidth);
    const int height = outer.bottom - outer.top - client.bottom + Scaled(design_.clientHeight);
    SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::Show() { SetWindowTextW(window_, utf16::Widen(Caption()).c_str()); }

Bounds Win32Window::BoundsRect() const
{
    RECT r{};
    GetWindowRect(window_, &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Win32Window::SetPosition(int left, int top)
{
    Form::SetPosition(left, top);
    SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::ShowModal()
{
    Form::ShowModal();
    modal_ = true;
    if (owner_ != nullptr) EnableWindow(owner_, FALSE);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    MSG message;
    while (modal_ && IsWindowVisible(window_) && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (message.message == WM_QUIT) PostQuitMessage(static_cast<int>(message.wParam));
    if (owner_ != nullptr) {
        EnableWindow(owner_, TRUE);
        SetForegroundWindow(owner_);
    }
    modal_ = false;
    SetVisible(false);
}

void Win32Window::Close()
{
    Form::Close();
    if (owner_ == nullptr) {
        DestroyWindow(window_);
        return;
    }
    modal_ = false;
    ShowWindow(window_, SW_HIDE);
}

void Win32Window::AppendSystemMenu(const std::string& text, std::uint32_t command)
{
    Form::AppendSystemMenu(text, command);
    AppendMenuW(GetSystemMenu(window_, FALSE), MF_STRING, command, utf16::Widen(text).c_str());
}

void Win32Window::AcceptFiles(bool accept)
{
    Form::AcceptFiles(accept);
    DragAcceptFiles(window_, accept ? TRUE : FALSE);
}

void Win32Window::ShowCentred()
{
    if (application_) application_->Show();
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const Bounds b = BoundsRect();
    SetPosition(area.left + (area.right - area.left - b.width) / 2, area.top + (area.bottom - area.top - b.height) / 2);
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    SetVisible(true);
}

Edit& Win32Window::EditOf(const std::string& name) { return *edits_.at(name); }
Memo& Win32Window::MemoOf(const std::string& name) { return *memos_.at(name); }
CheckBox& Win32Window::CheckBoxOf(const std::string& name) { return *checkBoxes_.at(name); }
Label& Win32Window::LabelOf(const std::string& name) { return *labels_.at(name); }

HWND Win32Window::ChildOf(const std::string& name) const
{
    for (const auto& part : parts_)
        if (name == part->design->name) return part->child;
    return nullptr;
}

Win32Window::Part* Win32Window::PartOf(HWND child)
{
    for (const auto& part : parts_)
        if (part->child == child && child != nullptr) return part.get();
    return nullptr;
}

void Win32Window::OnClick(const std::string& control, Handler handler)
{
    for (auto& part : parts_)
        if (control == part->design->name) part->onClick = std::move(handler);
}

void Win32Window::OnMouseMove(const std::string& control, Handler handler)
{
    for (auto& part : parts_)
        if (control == part->design->name) part->onMouseMove = std::move(handler);
}

void Win32Window::Fire(const Handler& handler)
{
    if (handler) platform::Dispatch(handler);
}

}  // namespace platform::win32
