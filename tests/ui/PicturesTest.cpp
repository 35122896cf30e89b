// The built-in pictures, each drawn for three display scales, their
// decoding with libjpeg, and the choice of a drawing for a display.
#include "platform/Jpeg.h"
#include "ui/Designs.h"
#include "ui/Pictures.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

TEST(Pictures, EachScalesDrawingDecodesToItsControlsSizeTimesTheScale)
{
    const struct {
        const platform::FormDesign& design;
        const char* control;
        int percent, width, height;
    } drawings[] = {
        {ui::MainDesign(), "bgImage", 100, 410, 180},    {ui::MainDesign(), "bgImage", 150, 615, 270},
        {ui::MainDesign(), "bgImage", 200, 820, 360},    {ui::AboutDesign(), "aboutImage", 100, 325, 215},
        {ui::AboutDesign(), "aboutImage", 150, 488, 323}, {ui::AboutDesign(), "aboutImage", 200, 650, 430},
    };
    for (const auto& d : drawings) {
        SCOPED_TRACE(std::string(d.control) + " at " + std::to_string(d.percent) + " %");
        const platform::ControlDesign* control = d.design.Find(d.control);
        ASSERT_NE(control, nullptr);
        ASSERT_EQ(control->drawings.size(), 3u);
        const platform::PictureDrawing* drawing = nullptr;
        for (const auto& candidate : control->drawings)
            if (candidate.percent == d.percent) drawing = &candidate;
        ASSERT_NE(drawing, nullptr);
        const platform::RgbImage image = platform::DecodeJpeg(drawing->jpeg);
        EXPECT_EQ(image.width, d.width);
        EXPECT_EQ(image.height, d.height);
        EXPECT_EQ(image.rgb.size(), static_cast<std::size_t>(d.width * d.height * 3));
    }
}

TEST(Pictures, TheUndoStripMatchesTheCheckBoxGreyAtEveryScale)
{
    // The check box lies at 15,159 on its own 0xBFBFBF: the picture around it must be that grey.
    for (const platform::PictureDrawing& drawing : ui::BgImage()) {
        SCOPED_TRACE(drawing.percent);
        const platform::RgbImage image = platform::DecodeJpeg(drawing.jpeg);
        const int y = 167 * drawing.percent / 100;
        for (const int x : {5, 180, 200}) {
            const std::size_t at = (static_cast<std::size_t>(y) * image.width + x * drawing.percent / 100) * 3;
            for (int c = 0; c < 3; ++c) EXPECT_NEAR(image.rgb[at + c], 191, 3) << "x=" << x;
        }
    }
}

TEST(Pictures, ADisplayGetsTheDrawingForItsScaleOrTheNextLargerOne)
{
    const unsigned char bytes[] = {0};
    const platform::PictureDrawing drawings[] = {{100, bytes}, {150, bytes}, {200, bytes}};
    const struct {
        int dpi;
        int percent;  // of the drawing chosen
    } table[] = {
        {96, 100}, {144, 150}, {192, 200},  // drawn for these
        {120, 150}, {168, 200},             // 125 % and 175 %: scaled down from the next larger
        {97, 150}, {145, 200},              // just above a drawing: the next larger
        {72, 100},                          // below the smallest: the smallest, scaled down
        {240, 200}, {288, 200},             // beyond the largest: the largest, enlarged
    };
    for (const auto& row : table) {
        const platform::PictureDrawing* chosen = platform::DrawingFor(drawings, row.dpi);
        ASSERT_NE(chosen, nullptr) << row.dpi;
        EXPECT_EQ(chosen->percent, row.percent) << row.dpi;
    }
    // The drawings' order does not matter, and a picture without drawings has none.
    const platform::PictureDrawing reversed[] = {{200, bytes}, {150, bytes}, {100, bytes}};
    EXPECT_EQ(platform::DrawingFor(reversed, 120)->percent, 150);
    EXPECT_EQ(platform::DrawingFor(reversed, 72)->percent, 100);
    EXPECT_EQ(platform::DrawingFor({}, 96), nullptr);
}

TEST(Pictures, BytesThatAreNoJpegAreReportedNotFatal)
{
    const std::string junk = "this is not a picture at all";
    const auto bytes = std::span(reinterpret_cast<const unsigned char*>(junk.data()), junk.size());
    EXPECT_THROW(platform::DecodeJpeg(bytes), std::runtime_error);
    EXPECT_THROW(platform::DecodeJpeg({}), std::runtime_error);
}

}  // namespace
