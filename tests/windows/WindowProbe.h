// What the Win32 window tests read off real windows: texts, children by
// their rectangles, fonts, tool tips, drops as the shell makes them, and
// the pixels a window or control paints.
#pragma once

#include "utf16/Utf16.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace probe {

inline void Pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

inline std::string TextOf(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return utf16::Narrow(text);
}

// The child whose rectangle in the parent's client area is exactly this one.
inline HWND ChildAt(HWND parent, RECT wanted)
{
    struct Search {
        HWND parent;
        RECT wanted;
        HWND found = nullptr;
    } search{parent, wanted};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            RECT r;
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, s.parent, reinterpret_cast<POINT*>(&r), 2);
            if (EqualRect(&r, &s.wanted) == 0) return TRUE;
            s.found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A drop as the shell hands it over: a DROPFILES block in movable global
// memory, the names in UTF-16, each ended by a zero, the list by another.
inline HGLOBAL DropOf(const std::vector<std::string>& paths)
{
    std::wstring names;
    for (const std::string& path : paths) names += utf16::Widen(path) + L'\0';
    names += L'\0';
    const std::size_t bytes = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return memory;
}

// The font a control draws its text with.
inline LOGFONTW FontOf(HWND control)
{
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// The width and height of a text in a font.
inline SIZE Extent(const LOGFONTW& font, const std::string& text)
{
    const HDC dc = CreateCompatibleDC(nullptr);
    const HFONT made = CreateFontIndirectW(&font);
    const HGDIOBJ old = SelectObject(dc, made);
    const std::wstring wide = utf16::Widen(text);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(dc, old);
    DeleteObject(made);
    DeleteDC(dc);
    return size;
}

// What a window paints of its client area (its children apart), as 0xRRGGBB.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;
    std::uint32_t At(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x] & 0xFFFFFF; }
    int Grey(int x, int y) const
    {
        const std::uint32_t c = At(x, y);
        return static_cast<int>(((c >> 16) & 0xFF) * 30 + ((c >> 8) & 0xFF) * 59 + (c & 0xFF) * 11) / 100;
    }
};

inline Pixels Capture(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    Pixels out;
    out.width = client.right;
    out.height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = out.width;
    info.bmiHeader.biHeight = -out.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, out.width, out.height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    const auto* px = static_cast<const std::uint32_t*>(bits);
    out.rgb.assign(px, px + static_cast<std::size_t>(out.width) * out.height);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return out;
}

// The tool tips window that belongs to a window.
inline HWND TipsOf(HWND owner)
{
    struct Search {
        HWND owner;
        HWND found = nullptr;
    } search{owner};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            wchar_t cls[64] = {};
            GetClassNameW(window, cls, 64);
            if (std::wstring(cls) != TOOLTIPS_CLASSW || GetWindow(window, GW_OWNER) != s.owner) return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The hint shown where the pointer rests at a point of the window's client
// area, as the tool tips find it, and the tool's rectangle; empty if none.
struct Hint {
    std::string text;
    RECT rect{};
};

inline Hint HintAt(HWND window, POINT at)
{
    const HWND tips = TipsOf(window);
    wchar_t text[256] = {};
    TTHITTESTINFOW hit{};
    hit.hwnd = window;
    hit.pt = at;
    hit.ti.cbSize = sizeof hit.ti;
    hit.ti.lpszText = text;
    if (tips == nullptr || SendMessageW(tips, TTM_HITTESTW, 0, reinterpret_cast<LPARAM>(&hit)) == 0) return {};
    hit.ti.lpszText = text;
    SendMessageW(tips, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&hit.ti));
    return {utf16::Narrow(text), hit.ti.rect};
}

// The default value of a key under HKEY_CLASSES_ROOT, or "<missing>".
inline std::string RegistryDefault(const wchar_t* path)
{
    wchar_t value[1024] = {};
    DWORD bytes = sizeof value - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, path, nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS)
        return "<missing>";
    return utf16::Narrow(value);
}

}  // namespace probe
