// The windows at 100, 125, 150 and 200 %, in process under Wine. The test
// carries the program's manifest, so it runs per-monitor DPI aware as the
// program does; each scale is reached as a move to a display of that DPI.
#include "tests/windows/Win32WindowFixture.h"

#include "platform/Jpeg.h"
#include "platform/MemoText.h"
#include "tests/support/PatchBuilder.h"
#include "ui/Pictures.h"

#include <algorithm>

namespace {

using namespace win32test;
using probe::TextOf;

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

}  // namespace
