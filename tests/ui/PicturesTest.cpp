// The built-in pictures and their decoding with libjpeg.
#include "platform/Jpeg.h"
#include "ui/Designs.h"
#include "ui/Pictures.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

TEST(Pictures, DecodeToTheSizesOfTheirControls)
{
    const struct {
        const platform::FormDesign& design;
        const char* control;
        int width, height;
    } pictures[] = {{ui::MainDesign(), "bgImage", 410, 180}, {ui::AboutDesign(), "aboutImage", 325, 215}};
    for (const auto& p : pictures) {
        SCOPED_TRACE(p.control);
        const platform::ControlDesign* control = p.design.Find(p.control);
        ASSERT_NE(control, nullptr);
        const platform::RgbImage image = platform::DecodeJpeg(control->jpeg);
        EXPECT_EQ(image.width, p.width);
        EXPECT_EQ(image.height, p.height);
        EXPECT_EQ(image.rgb.size(), static_cast<std::size_t>(p.width * p.height * 3));
    }
}

TEST(Pictures, TheUndoStripMatchesTheCheckBoxGrey)
{
    // The check box lies at 15,159 on its own 0xBFBFBF: the picture around it must be that grey.
    const platform::RgbImage image = platform::DecodeJpeg(ui::BgImageJpeg());
    for (const int x : {5, 180, 200}) {
        const std::size_t at = (static_cast<std::size_t>(167) * 410 + x) * 3;
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(image.rgb[at + c], 191, 3) << "x=" << x;
    }
}

TEST(Pictures, BytesThatAreNoJpegAreReportedNotFatal)
{
    const std::string junk = "this is not a picture at all";
    const auto bytes = std::span(reinterpret_cast<const unsigned char*>(junk.data()), junk.size());
    EXPECT_THROW(platform::DecodeJpeg(bytes), std::runtime_error);
    EXPECT_THROW(platform::DecodeJpeg({}), std::runtime_error);
}

}  // namespace
