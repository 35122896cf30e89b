// What a form's window draws itself: its pictures and labels, the flat
// buttons over the pictures, and a disabled check box.
#include "platform/win32/Win32Window.h"

#include "utf16/Utf16.h"

#include <commctrl.h>

#include <algorithm>

namespace platform::win32 {

void Win32Window::PaintOn(HDC dc)
{
    const HDC memory = CreateCompatibleDC(dc);
    for (const auto& part : parts_) {
        if (part->picture.handle == nullptr) continue;
        const HGDIOBJ old = SelectObject(memory, part->picture.handle);
        BitBlt(dc, part->rect.left, part->rect.top, part->picture.width, part->picture.height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
    }
    DeleteDC(memory);
    for (const auto& part : parts_) {
        if (part->design->kind != ControlKind::Label) continue;
        const Label& label = *labels_.at(part->design->name);
        HBRUSH back = CreateSolidBrush(ToColorRef(part->design->color));
        FillRect(dc, &part->rect, back);
        DeleteObject(back);
        LOGFONTW look{};
        GetObjectW(part->font, sizeof look, &look);
        look.lfUnderline = label.Underlined() ? TRUE : FALSE;
        const HFONT font = CreateFontIndirectW(&look);
        const HGDIOBJ old = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ToColorRef(label.FontColor()));
        RECT r = part->rect;
        const std::wstring text = utf16::Widen(label.Text());
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, old);
        DeleteObject(font);
    }
}

void Win32Window::DrawButton(const DRAWITEMSTRUCT& item)
{
    // What lies beneath shows through: the picture under the button first.
    RECT r = item.rcItem;
    POINT origin{0, 0};
    MapWindowPoints(item.hwndItem, window_, &origin, 1);
    FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
    const HDC memory = CreateCompatibleDC(item.hDC);
    for (const auto& part : parts_) {
        if (part->picture.handle == nullptr) continue;
        const HGDIOBJ old = SelectObject(memory, part->picture.handle);
        BitBlt(item.hDC, part->rect.left - origin.x, part->rect.top - origin.y, part->picture.width,
               part->picture.height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
    }
    DeleteDC(memory);
    bool hovered = false;
    for (const auto& part : parts_)
        if (part->child == item.hwndItem) hovered = part->hovered;
    if ((item.itemState & ODS_SELECTED) != 0)
        DrawEdge(item.hDC, &r, BDR_SUNKENOUTER, BF_RECT);
    else if (hovered)
        DrawEdge(item.hDC, &r, BDR_RAISEDINNER, BF_RECT);
}

LRESULT Win32Window::CustomDraw(NMCUSTOMDRAW& draw)
{
    // Enabled, the box draws itself. Disabled, the system would draw its
    // caption in a light grey that all but vanishes on the box's grey
    // face; it is drawn here as disabled text is drawn on a grey face:
    // mid grey over a white etch one pixel down and right.
    Part* part = PartOf(draw.hdr.hwndFrom);
    if (draw.dwDrawStage != CDDS_PREPAINT || part == nullptr || IsWindowEnabled(part->child)) return CDRF_DODEFAULT;
    const HDC dc = draw.hdc;
    const int saved = SaveDC(dc);
    RECT client{};
    GetClientRect(part->child, &client);
    FillRect(dc, &client, part->brush);
    // The box as the system places it: one pixel more than 12 per 96 dots
    // per inch, at the left, its slack shared out with the odd pixel below.
    const int box = MulDiv(12, static_cast<int>(dpi_), 96) + 1;
    const int slack = std::max(0, static_cast<int>(client.bottom) - box);
    RECT square{0, std::max(0, slack - slack / 2 - 1), box, 0};
    square.bottom = square.top + box;
    const bool checked = SendMessageW(part->child, BM_GETCHECK, 0, 0) == BST_CHECKED;
    DrawFrameControl(dc, &square, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_INACTIVE | (checked ? DFCS_CHECKED : 0));
    // The caption half a digit's width right of the box.
    SelectObject(dc, part->font);
    INT digit = 0;
    GetCharWidth32W(dc, L'0', L'0', &digit);
    RECT text{box + digit / 2, 0, client.right, client.bottom};
    const std::wstring caption = utf16::Widen(part->design->caption != nullptr ? part->design->caption : "");
    SetBkMode(dc, TRANSPARENT);
    RECT etch = text;
    OffsetRect(&etch, 1, 1);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &etch, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    SetTextColor(dc, RGB(128, 128, 128));
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    RestoreDC(dc, saved);
    return CDRF_SKIPDEFAULT;
}

}  // namespace platform::win32
