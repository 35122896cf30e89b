// The main window on the real Win32 controls, in process under Wine: the
// controls where the design puts them, a drop built as the shell builds it,
// one whole Apply through the button, and the system menu's association
// in the real registry. Boxes are answered through the services' seam.
#include "app/Win32Forms.h"
#include "desktop/Association.h"
#include "platform/CommandLine.h"
#include "platform/win32/Win32Services.h"
#include "tests/support/PatchBuilder.h"
#include "tests/support/TempFiles.h"
#include "utf16/Utf16.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using utf16::Narrow;
using utf16::Widen;
using testsupport::Bytes;

struct SeenBox {
    std::string text;
    std::string caption;
    unsigned style = 0;
};

void Pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::string TextOf(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
}

// The child whose rectangle in the parent's client area is exactly this one.
HWND ChildAt(HWND parent, RECT wanted)
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
HGLOBAL DropOf(const std::vector<std::string>& paths)
{
    std::wstring names;
    for (const std::string& path : paths) names += Widen(path) + L'\0';
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

std::string RegistryDefault(const wchar_t* path)
{
    wchar_t value[1024] = {};
    DWORD bytes = sizeof value - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, path, nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS)
        return "<missing>";
    return Narrow(value);
}

class Win32WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetCommandLine(program, {});
        services = std::make_unique<platform::win32::Win32Services>();
        services->associate = desktop::AssociateFileType;
        services->showBox = [this](const std::wstring& text, const std::wstring& caption, unsigned style) {
            boxes.push_back({Narrow(text), Narrow(caption), style});
            return (style & MB_YESNO) != 0 ? IDYES : IDOK;
        };
        forms = std::make_unique<app::Win32Forms>();
        forms->mainWindow.ShowCentred();
        Pump();  // the first showing's handler
        main = forms->mainWindow.Handle();
    }
    void TearDown() override
    {
        forms.reset();
        services.reset();
        Pump();
    }
    HWND Child(int left, int top, int width, int height) const
    {
        HWND child = ChildAt(main, RECT{left, top, left + width, top + height});
        EXPECT_NE(child, nullptr) << "no control at " << left << "," << top;
        return child;
    }
    HWND EdtImage() const { return Child(112, 48, 241, 21); }
    HWND EdtKdx() const { return Child(112, 89, 241, 21); }
    HWND InfMemo() const { return Child(0, 180, 410, 165); }
    HWND BtnApply() const { return Child(15, 126, 127, 25); }
    void Drop(const std::vector<std::string>& paths)
    {
        ASSERT_TRUE(PostMessageW(main, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf(paths)), 0));
        Pump();
    }

    // Blanks and a non-ASCII letter, quoted in the registry's command.
    const std::string program = "C:\\Program Files\\\xC3\x9C" "bersetzung\\mendrix.exe";
    testsupport::TempDir dir;
    std::vector<SeenBox> boxes;
    std::unique_ptr<platform::win32::Win32Services> services;
    std::unique_ptr<app::Win32Forms> forms;
    HWND main = nullptr;
};

TEST_F(Win32WindowTest, FixedClientAreaCaptionAndNoMaximiseBox)
{
    RECT client;
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, 410);
    EXPECT_EQ(client.bottom, 345);
    EXPECT_EQ(TextOf(main), "KDX patcher for CD images (MENDRIX v3.0)");
    EXPECT_EQ(GetWindowLongW(main, GWL_STYLE) & WS_MAXIMIZEBOX, 0);
    EXPECT_NE(GetWindowLongW(EdtImage(), GWL_STYLE) & ES_READONLY, 0);
    EXPECT_NE(GetWindowLongW(InfMemo(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), 0);
}

TEST_F(Win32WindowTest, DroppedFilesGoByTheLastNameAndAnApplyResetsTheWindow)
{
    testsupport::PatchLayout layout;
    layout.version = 1;
    layout.records = {{10, {0xDE, 0xAD}, {}}};
    // "Übersetzung.kdx" and "ディスク 1.bin": paths the ANSI calls could not name.
    const std::string patch = dir.File("\xC3\x9C" "bersetzung.kdx");
    const std::string image = dir.File("\xE3\x83\x87\xE3\x82\xA3\xE3\x82\xB9\xE3\x82\xAF 1.bin");
    testsupport::WriteFile(patch, testsupport::BuildPatch(layout));
    testsupport::WriteFile(image, Bytes(64, 0));

    Drop({patch, image});
    EXPECT_EQ(TextOf(EdtImage()), image);
    EXPECT_EQ(TextOf(EdtKdx()), "");
    Drop({image, patch});
    EXPECT_EQ(TextOf(EdtKdx()), patch);
    EXPECT_EQ(TextOf(InfMemo()).rfind("Filename       : " + patch + "\r\n", 0), 0u) << TextOf(InfMemo());
    EXPECT_TRUE(boxes.empty());

    SendMessageW(BtnApply(), BM_CLICK, 0, 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Patch successfully applied, burn image to CD now!");
    EXPECT_EQ(boxes[0].caption, "Information");
    EXPECT_EQ(boxes[0].style & (MB_ICONMASK | MB_TYPEMASK), unsigned{MB_ICONINFORMATION | MB_OK});
    const Bytes written = testsupport::ReadFile(image);
    EXPECT_EQ(written[10], 0xDE);
    EXPECT_EQ(written[11], 0xAD);
    EXPECT_EQ(TextOf(main), "::[: MENDRIX v3.0 :]::");
    EXPECT_EQ(TextOf(EdtImage()), "");
    EXPECT_EQ(TextOf(InfMemo()), "");
}

TEST_F(Win32WindowTest, SystemMenuEntryAssociatesInTheRegistryAndConfirms)
{
    wchar_t entry[64] = {};
    GetMenuStringW(GetSystemMenu(main, FALSE), 0xF200, entry, 64, MF_BYCOMMAND);
    EXPECT_EQ(Narrow(entry), "&Associate 'kdx' files");

    // Nothing left from an earlier run of the same prefix.
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L".kdx");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"kdxfile");
    SendMessageW(main, WM_SYSCOMMAND, 0xF200, 0);
    EXPECT_EQ(RegistryDefault(L".kdx"), "kdxfile");
    EXPECT_EQ(RegistryDefault(L"kdxfile\\shell\\open\\command"), "\"" + program + "\" \"%1\"");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Associated 'kdx' filetypes with mendrix v3.0");
    EXPECT_EQ(boxes[0].caption, "Information");
    EXPECT_EQ(boxes[0].style & MB_ICONMASK, unsigned{MB_ICONINFORMATION});

    // Other system commands still reach Windows: the window minimises.
    SendMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(main));
}

}  // namespace
