// The windows on the real Win32 controls, in process under Wine: the
// controls where the design puts them, a drop built as the shell builds
// it, one whole Apply through the button and a close during one, the
// task-bar window, the disabled undo box, the guide, and the system menu's
// association in the real registry.
#include "tests/windows/Win32WindowFixture.h"

#include "tests/support/PatchBuilder.h"
#include "ui/Guide.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <thread>

namespace {

using namespace win32test;
using utf16::Widen;
using probe::RegistryDefault;
using probe::TextOf;
using testsupport::Bytes;

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

TEST_F(Win32WindowTest, TheTaskBarButtonIsTheApplicationsWindowWithTheTitleAndIcon)
{
    const HWND application = forms->mainWindow.ApplicationHandle();
    ASSERT_NE(application, nullptr);
    EXPECT_EQ(GetWindow(main, GW_OWNER), application);
    EXPECT_EQ(GetWindow(application, GW_OWNER), nullptr);
    EXPECT_TRUE(IsWindowVisible(application));
    EXPECT_EQ(TextOf(application), "::[ MENDRIX v3.0 ]::");
    EXPECT_EQ(GetWindowLongW(application, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
    EXPECT_EQ(GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);  // no button of its own
    EXPECT_NE(SendMessageW(application, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(application, WM_GETICON, ICON_SMALL, 0), 0);
    // The caption changes; the title stays.
    forms->mainWindow.SetCaption("Patching CD Image now, hold one ...");
    EXPECT_EQ(TextOf(application), "::[ MENDRIX v3.0 ]::");

    // Minimising the main window, or clicking the task-bar button, minimises
    // the application; the task-bar button brings it back.
    for (const HWND minimised : {main, application}) {
        SendMessageW(minimised, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_TRUE(IsIconic(application));
        EXPECT_FALSE(IsWindowVisible(main));
        SendMessageW(application, WM_SYSCOMMAND, SC_RESTORE, 0);
        Pump();
        EXPECT_FALSE(IsIconic(application));
        EXPECT_TRUE(IsWindowVisible(main));
    }

    // An error no command handles: the general error box, captioned with the title.
    services->associate = [](const std::string&, const std::string&) { throw std::runtime_error("Registry full"); };
    SendMessageW(main, WM_SYSCOMMAND, 0xF200, 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "::[ MENDRIX v3.0 ]::");
    EXPECT_EQ(boxes[0].text, "Registry full.");
    EXPECT_EQ(boxes[0].style & (MB_ICONMASK | MB_TYPEMASK), unsigned{MB_ICONERROR | MB_OK});

    // Closing the task-bar button closes the main window, and with it the application.
    SendMessageW(application, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_FALSE(IsWindow(main));
    EXPECT_FALSE(IsWindowVisible(application));
}

TEST_F(Win32WindowTest, TheDisabledUndoCaptionIsEtchedGreyAndItsHintStillShows)
{
    const HWND undo = CbUndo();
    ASSERT_FALSE(IsWindowEnabled(undo));
    RECT rect{};
    GetClientRect(undo, &rect);
    // The box paints into a picture as it paints on screen.
    const probe::Pixels shot = probe::Capture(undo);
    int darkest = 255;
    bool etched = false;
    for (int y = 0; y + 1 < shot.height; ++y)
        for (int x = 16; x + 1 < shot.width; ++x) {
            darkest = std::min(darkest, shot.Grey(x, y));
            if (shot.Grey(x, y) <= 150 && shot.At(x + 1, y + 1) == 0xFFFFFF) etched = true;
        }
    EXPECT_LE(darkest, 150);  // readable on the grey face
    EXPECT_GE(darkest, 100);  // yet not the enabled black
    EXPECT_TRUE(etched);

    // The window beneath takes the mouse while the box is disabled: the hint is registered there.
    const probe::Hint hint = probe::HintAt(main, POINT{60, 167});
    EXPECT_EQ(hint.text, "Apply Undo-Data, to get the un-patched CD-Image");
    const RECT box{15, 159, 172, 176};
    EXPECT_TRUE(EqualRect(&hint.rect, &box));

    // Enabled, the box draws itself (black caption) and keeps its hint.
    forms->mainWindow.CheckBoxOf("cbUndo").SetEnabled(true);
    const probe::Pixels enabled = probe::Capture(undo);
    int darkestEnabled = 255;
    for (int y = 0; y < enabled.height; ++y)
        for (int x = 16; x < enabled.width; ++x) darkestEnabled = std::min(darkestEnabled, enabled.Grey(x, y));
    EXPECT_LT(darkestEnabled, 60);
    SendMessageW(undo, BM_CLICK, 0, 0);
    EXPECT_TRUE(forms->mainWindow.CheckBoxOf("cbUndo").Checked());
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

// What a message that follows the close finds: the state right after the close was handled.
struct AfterClose {
    bool seen = false;
    bool visible = false;
    bool busy = false;
    HWND main = nullptr;
};
AfterClose gAfterClose;

LRESULT CALLBACK LookAfterClose(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
    gAfterClose.seen = true;
    gAfterClose.visible = IsWindowVisible(gAfterClose.main) != FALSE;
    gAfterClose.busy = platform::win32::BusyCursorShown();
    return 0;
}

TEST_F(Win32WindowTest, ClosingDuringAnApplyKeepsTheWindowUntilTheImageIsWritten)
{
    testsupport::PatchLayout layout;
    for (int i = 0; i < 5000; ++i) layout.records.push_back({i * 2, {0x5A}, {}});
    const std::string patch = dir.File("fix.kdx");
    const std::string image = dir.File("disc.bin");
    testsupport::WriteFile(patch, testsupport::BuildPatch(layout));
    testsupport::WriteFile(image, Bytes(10000, 0));
    Drop({patch});
    Drop({image});

    WNDCLASSW look{};
    look.lpfnWndProc = LookAfterClose;
    look.hInstance = GetModuleHandleW(nullptr);
    look.lpszClassName = L"LookAfterClose";
    RegisterClassW(&look);
    const HWND looker = CreateWindowW(L"LookAfterClose", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    gAfterClose = {false, false, false, main};
    bool shownAtTheEnd = false;
    onBox = [&] { shownAtTheEnd = IsWindowVisible(main) != FALSE; };

    // Both wait in the queue until the apply lets messages in.
    PostMessageW(main, WM_CLOSE, 0, 0);
    PostMessageW(looker, WM_APP, 0, 0);
    SendMessageW(BtnApply(), BM_CLICK, 0, 0);

    EXPECT_TRUE(gAfterClose.seen);
    EXPECT_TRUE(gAfterClose.visible);
    EXPECT_TRUE(gAfterClose.busy);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Patch successfully applied, burn image to CD now!");
    EXPECT_TRUE(shownAtTheEnd);
    EXPECT_FALSE(IsWindow(main));  // closed once the apply had ended
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    const Bytes written = testsupport::ReadFile(image);
    EXPECT_EQ(written[0], 0x5A);
    EXPECT_EQ(written[9998], 0x5A);  // the last record
    EXPECT_FALSE(testsupport::HeldOpen(image));
    DestroyWindow(looker);
}

TEST_F(Win32WindowTest, TheAboutLabelOpensTheReadmeBesideTheProgramOrSaysWhyNot)
{
    EXPECT_EQ(ui::GuidePath(program), "C:\\Program Files\\\xC3\x9C" "bersetzung\\README.txt");
    EXPECT_EQ(ui::GuidePath("D:/tools/mendrix.exe"), "D:/tools/README.txt");
    const HWND aboutWindow = forms->aboutWindow.Handle();
    EXPECT_EQ(forms->aboutWindow.LabelOf("lblWeb").Text(), "README.txt");

    // No README.txt beside this program.
    SendMessageW(aboutWindow, WM_LBUTTONDOWN, 0, MAKELPARAM(170, 183));
    SendMessageW(aboutWindow, WM_LBUTTONUP, 0, MAKELPARAM(170, 183));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].text.rfind("Can't open the guide (", 0), 0u) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find(") ...\r(C:\\Program Files\\\xC3\x9C" "bersetzung\\README.txt)"), std::string::npos)
        << boxes[0].text;
    EXPECT_EQ(boxes[0].style & MB_ICONMASK, unsigned{MB_ICONERROR});

    // A README.txt beside the program opens through the shell's "open" for
    // text files, here a copy of it to where the test looks.
    const std::string folder = dir.File("MENDRIX \xC3\xA9t\xC3\xA9");
    std::filesystem::create_directories(std::filesystem::path(Widen(folder)));
    testsupport::WriteFile(folder + "\\README.txt", {'g', 'u', 'i', 'd', 'e'});
    const std::string copy = dir.File("opened.txt");
    const std::wstring textType = Widen(RegistryDefault(L".txt"));
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L".txt", nullptr, REG_SZ, L"MendrixTestText", 32);
    const std::wstring command = L"cmd.exe /c copy \"%1\" \"" + Widen(copy) + L"\"";
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L"MendrixTestText\\shell\\open\\command", nullptr, REG_SZ, command.c_str(),
                    static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    platform::SetCommandLine(folder + "\\mendrix.exe", {});
    boxes.clear();
    SendMessageW(aboutWindow, WM_LBUTTONDOWN, 0, MAKELPARAM(170, 183));
    SendMessageW(aboutWindow, WM_LBUTTONUP, 0, MAKELPARAM(170, 183));
    EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes[0].text);
    for (int i = 0; i < 200 && !std::filesystem::exists(std::filesystem::path(Widen(copy))); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"MendrixTestText");
    if (textType == L"<missing>")
        RegDeleteKeyValueW(HKEY_CLASSES_ROOT, L".txt", nullptr);
    else
        RegSetKeyValueW(HKEY_CLASSES_ROOT, L".txt", nullptr, REG_SZ, textType.c_str(),
                        static_cast<DWORD>((textType.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(testsupport::ReadFile(copy), (Bytes{'g', 'u', 'i', 'd', 'e'}));
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
}

}  // namespace
