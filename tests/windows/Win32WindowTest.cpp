// The windows on the real Win32 controls, in process under Wine (the test
// carries the program's manifest, so it runs per-monitor DPI aware as the
// program does): the controls where the design puts them at 100, 125, 150
// and 200 %, a drop built as the shell builds it, one whole Apply through
// the button and a close during one, the task-bar window, the disabled
// undo box, the guide, and the system menu's association in the real
// registry. Boxes are answered through the services' seam.
#include "app/Win32Forms.h"
#include "desktop/Association.h"
#include "platform/CommandLine.h"
#include "platform/Jpeg.h"
#include "platform/MemoText.h"
#include "platform/win32/Win32Services.h"
#include "tests/support/PatchBuilder.h"
#include "tests/support/TempFiles.h"
#include "tests/windows/WindowProbe.h"
#include "ui/Guide.h"
#include "ui/Pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::win32::Narrow;
using platform::win32::Widen;
using probe::ChildAt;
using probe::Pump;
using probe::TextOf;
using testsupport::Bytes;

struct SeenBox {
    std::string text;
    std::string caption;
    unsigned style = 0;
};

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
    void SetUp() override { Start(program); }
    void Start(const std::string& path)
    {
        forms.reset();
        services.reset();
        platform::SetCommandLine(path, {});
        services = std::make_unique<platform::win32::Win32Services>();
        services->associate = desktop::AssociateFileType;
        services->showBox = [this](const std::wstring& text, const std::wstring& caption, unsigned style) {
            boxes.push_back({Narrow(text), Narrow(caption), style});
            if (onBox) onBox();
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
        EXPECT_NE(child, nullptr) << "no control at " << left << "," << top << " " << width << "x" << height;
        return child;
    }
    HWND EdtImage() const { return Child(112, 48, 241, 21); }
    HWND EdtKdx() const { return Child(112, 89, 241, 21); }
    HWND InfMemo() const { return Child(0, 180, 410, 165); }
    HWND BtnApply() const { return Child(15, 126, 127, 25); }
    HWND CbUndo() const { return Child(15, 159, 157, 17); }
    void Drop(const std::vector<std::string>& paths)
    {
        ASSERT_TRUE(PostMessageW(main, WM_DROPFILES, reinterpret_cast<WPARAM>(probe::DropOf(paths)), 0));
        Pump();
    }

    // Blanks and a non-ASCII letter, quoted in the registry's command.
    const std::string program = "C:\\Program Files\\\xC3\x9C" "bersetzung\\mendrix.exe";
    testsupport::TempDir dir;
    std::vector<SeenBox> boxes;
    std::function<void()> onBox;
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

    // Minimising the main window minimises the application; the task bar brings it back.
    SendMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(application));
    EXPECT_FALSE(IsWindowVisible(main));
    SendMessageW(application, WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    EXPECT_FALSE(IsIconic(application));
    EXPECT_TRUE(IsWindowVisible(main));

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

// Moves a window to a display of another DPI as the system does: first the
// size it asks for, then the rectangle the system suggests from it.
void MoveToDpi(HWND window, UINT dpi)
{
    SIZE size{};
    ASSERT_TRUE(SendMessageW(window, WM_GETDPISCALEDSIZE, dpi, reinterpret_cast<LPARAM>(&size)));
    RECT suggested{40, 30, 40 + size.cx, 30 + size.cy};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

TEST_F(Win32WindowTest, EveryPositionSizeFontAndPictureFollowsTheDisplaysDpi)
{
    struct Rect {
        int left, top, width, height;
    };
    const struct {
        UINT dpi;
        int percent;          // of the picture's drawing shown unscaled; 0: a scaled one
        SIZE client, about;   // the client areas
        Rect memo, kdx, image, apply, kdxButton, imageButton, aboutButton, close, undo, web;
        LONG font, memoFont, webFont;  // the heights asked for
        const char* face;     // the edits'
    } scales[] = {
        {96, 100, {410, 345}, {325, 215}, {0, 180, 410, 165}, {112, 89, 241, 21}, {112, 48, 241, 21},
         {15, 126, 127, 25}, {358, 89, 23, 22}, {358, 48, 23, 22}, {150, 126, 112, 25}, {270, 126, 122, 25},
         {15, 159, 157, 17}, {99, 175, 157, 16}, -11, -11, -15, "MS Sans Serif"},
        {144, 150, {615, 518}, {488, 323}, {0, 270, 615, 248}, {168, 134, 362, 32}, {168, 72, 362, 32},
         {23, 189, 191, 38}, {537, 134, 35, 33}, {537, 72, 35, 33}, {225, 189, 168, 38}, {405, 189, 183, 38},
         {23, 239, 236, 26}, {149, 263, 236, 24}, -17, -17, -23, "Microsoft Sans Serif"},
        {192, 200, {820, 690}, {650, 430}, {0, 360, 820, 330}, {224, 178, 482, 42}, {224, 96, 482, 42},
         {30, 252, 254, 50}, {716, 178, 46, 44}, {716, 96, 46, 44}, {300, 252, 224, 50}, {540, 252, 244, 50},
         {30, 318, 314, 34}, {198, 350, 314, 32}, -22, -22, -30, "Microsoft Sans Serif"},
        {120, 0, {513, 431}, {406, 269}, {0, 225, 513, 206}, {140, 111, 301, 26}, {140, 60, 301, 26},
         {19, 158, 159, 31}, {448, 111, 29, 28}, {448, 60, 29, 28}, {188, 158, 140, 31}, {338, 158, 153, 31},
         {19, 199, 196, 21}, {124, 219, 196, 20}, -14, -14, -19, "Microsoft Sans Serif"},
        {96, 100, {410, 345}, {325, 215}, {0, 180, 410, 165}, {112, 89, 241, 21}, {112, 48, 241, 21},
         {15, 126, 127, 25}, {358, 89, 23, 22}, {358, 48, 23, 22}, {150, 126, 112, 25}, {270, 126, 122, 25},
         {15, 159, 157, 17}, {99, 175, 157, 16}, -11, -11, -15, "MS Sans Serif"},
    };
    const HWND about = forms->aboutWindow.Handle();
    testsupport::PatchLayout layout;
    layout.version = 3;
    layout.description = "English translation patch v1.2";
    layout.records = {{0, {1}, {}}};
    const std::string patch = dir.File("fix.kdx");
    testsupport::WriteFile(patch, testsupport::BuildPatch(layout));
    Drop({patch});
    for (const auto& scale : scales) {
        SCOPED_TRACE(scale.dpi);
        MoveToDpi(main, scale.dpi);
        MoveToDpi(about, scale.dpi);
        EXPECT_EQ(forms->mainWindow.Dpi(), scale.dpi);
        RECT client{}, outer{};
        GetClientRect(main, &client);
        GetWindowRect(main, &outer);
        EXPECT_EQ(client.right, scale.client.cx);
        EXPECT_EQ(client.bottom, scale.client.cy);
        EXPECT_EQ(outer.left, 40);  // where the system suggested
        EXPECT_EQ(outer.top, 30);
        GetClientRect(about, &client);
        EXPECT_EQ(client.right, scale.about.cx);
        EXPECT_EQ(client.bottom, scale.about.cy);

        const auto child = [&](const Rect& r) { return Child(r.left, r.top, r.width, r.height); };
        for (const Rect* r : {&scale.apply, &scale.kdxButton, &scale.imageButton, &scale.aboutButton, &scale.close})
            child(*r);
        const HWND memo = child(scale.memo), kdx = child(scale.kdx), image = child(scale.image);
        const HWND undo = child(scale.undo);
        ASSERT_TRUE(memo && kdx && image && undo);
        for (const HWND edit : {kdx, image}) {
            const LOGFONTW font = probe::FontOf(edit);
            EXPECT_EQ(font.lfHeight, scale.font);
            EXPECT_EQ(Narrow(font.lfFaceName), scale.face);
            // The text's height fits the edit.
            RECT inside{};
            GetClientRect(edit, &inside);
            EXPECT_LE(probe::Extent(font, "Ág").cy, inside.bottom);
        }
        const LOGFONTW memoFont = probe::FontOf(memo);
        EXPECT_EQ(memoFont.lfHeight, scale.memoFont);
        EXPECT_EQ(Narrow(memoFont.lfFaceName), "Courier New");
        EXPECT_EQ(memoFont.lfWeight, FW_BOLD);
        const LOGFONTW undoFont = probe::FontOf(undo);
        EXPECT_EQ(undoFont.lfHeight, scale.font);
        EXPECT_EQ(Narrow(undoFont.lfFaceName), "Verdana");

        // The memo's lines fit its width (the path's line aside, which may be any length).
        RECT memoInside{};
        GetClientRect(memo, &memoInside);
        for (const std::string& line : platform::DisplayLines(forms->mainWindow.MemoOf("infMemo").Lines())) {
            if (line.rfind("Filename", 0) == 0) continue;
            EXPECT_LE(probe::Extent(memoFont, line).cx, memoInside.right) << line;
        }
        // The caption in the caption's font, beside the icon and three buttons.
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, scale.dpi);
        EXPECT_LE(probe::Extent(metrics.lfCaptionFont, TextOf(main)).cx +
                      4 * GetSystemMetricsForDpi(SM_CXSIZE, scale.dpi),
                  outer.right - outer.left);

        // The check box's caption and the label's text end inside their rectangles.
        for (const bool enabled : {false, true}) {
            forms->mainWindow.CheckBoxOf("cbUndo").SetEnabled(enabled);
            const probe::Pixels box = probe::Capture(undo);
            int rightmost = 0;
            for (int y = 0; y < box.height; ++y)
                for (int x = box.height; x < box.width; ++x)
                    if (box.Grey(x, y) < 160) rightmost = std::max(rightmost, x);
            EXPECT_GT(rightmost, box.width / 2) << "enabled " << enabled;
            EXPECT_LT(rightmost, box.width - 2) << "enabled " << enabled;
        }
        const probe::Hint web = probe::HintAt(about, POINT{scale.web.left + 2, scale.web.top + 2});
        EXPECT_EQ(web.text, "visit our website");
        const RECT webRect{scale.web.left, scale.web.top, scale.web.left + scale.web.width,
                           scale.web.top + scale.web.height};
        EXPECT_TRUE(EqualRect(&web.rect, &webRect));
        const probe::Pixels aboutShot = probe::Capture(about);
        int first = aboutShot.width, last = 0;
        for (int y = webRect.top; y < webRect.bottom; ++y)
            for (int x = webRect.left; x < webRect.right; ++x)
                if (aboutShot.Grey(x, y) < 100) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
        EXPECT_GT(first, webRect.left + 2);
        EXPECT_LT(last, webRect.right - 3);

        // The picture: the drawing made for the scale, pixel for pixel; between scales
        // the next larger one, scaled down to the design's size times the scale.
        const probe::Pixels shot = probe::Capture(main);
        const int percent = scale.percent != 0 ? scale.percent : 150;
        const platform::PictureDrawing* drawing = nullptr;
        for (const auto& d : ui::BgImage())
            if (d.percent == percent) drawing = &d;
        ASSERT_NE(drawing, nullptr);
        const platform::RgbImage drawn = platform::DecodeJpeg(drawing->jpeg);
        const auto drawnAt = [&](int x, int y) {
            const std::size_t i = (static_cast<std::size_t>(y) * drawn.width + x) * 3;
            return std::uint32_t{drawn.rgb[i]} << 16 | std::uint32_t{drawn.rgb[i + 1]} << 8 | drawn.rgb[i + 2];
        };
        if (scale.percent != 0) {
            int differing = 0;
            for (int y = 0; y < drawn.height; ++y)
                for (int x = 0; x < drawn.width; ++x)
                    if (shot.At(x, y) != drawnAt(x, y)) ++differing;
            EXPECT_EQ(differing, 0);
            continue;
        }
        // 125 %: 513 x 225 from the 615 x 270 drawing. Where the drawing is
        // flat the two agree; filtered, not picked, the result copies the
        // nearest drawn pixel only there (about half of it), not everywhere.
        for (const POINT at : {POINT{200, 5}, POINT{300, 20}, POINT{100, 215}}) {
            const std::uint32_t got = shot.At(at.x, at.y), want = drawnAt(at.x * 615 / 513, at.y * 270 / 225);
            EXPECT_NEAR(static_cast<int>(got >> 16), static_cast<int>(want >> 16), 8);
            EXPECT_NEAR(static_cast<int>(got & 0xFF), static_cast<int>(want & 0xFF), 8);
        }
        EXPECT_NE(shot.At(512, 224), shot.At(512, 225));  // the picture's last row, then the window's face
        int copies = 0;
        for (int y = 0; y < 225; ++y)
            for (int x = 0; x < 513; ++x)
                if (shot.At(x, y) == drawnAt(x * 615 / 513, y * 270 / 225)) ++copies;
        EXPECT_LT(copies, 513 * 225 * 3 / 4);
    }
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
