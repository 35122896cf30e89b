#include "platform/win32/Bitmap.h"

#include "platform/Jpeg.h"

#include <cstdio>
#include <cstring>
#include <exception>

namespace platform::win32 {

Bitmap BitmapOf(std::span<const unsigned char> jpeg, const char* name)
{
    RgbImage rgb;
    try {
        rgb = DecodeJpeg(jpeg);
    } catch (const std::exception& e) {
        // The pictures are built into the program; a broken one leaves its place empty.
        std::fprintf(stderr, "%s: %s\n", name, e.what());
        return {};
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = rgb.width;
    info.bmiHeader.biHeight = -rgb.height;  // rows top to bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) return {};
    // DIB rows are BGR and padded to four bytes.
    const int stride = (rgb.width * 3 + 3) & ~3;
    auto* out = static_cast<unsigned char*>(bits);
    for (int y = 0; y < rgb.height; ++y) {
        const unsigned char* from = rgb.rgb.data() + static_cast<std::size_t>(y) * rgb.width * 3;
        unsigned char* to = out + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < rgb.width; ++x) {
            to[x * 3] = from[x * 3 + 2];
            to[x * 3 + 1] = from[x * 3 + 1];
            to[x * 3 + 2] = from[x * 3];
        }
    }
    return {bitmap, rgb.width, rgb.height};
}

}  // namespace platform::win32
