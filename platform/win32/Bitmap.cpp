#include "platform/win32/Bitmap.h"

#include "platform/Jpeg.h"

#include <cstdio>
#include <exception>

namespace platform::win32 {
namespace {

// A top-down 24-bit DIB section, its bits in *bits.
HBITMAP NewDib(int width, int height, void** bits)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows top to bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

Bitmap BitmapOf(const RgbImage& rgb)
{
    void* bits = nullptr;
    HBITMAP bitmap = NewDib(rgb.width, rgb.height, &bits);
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

// The bitmap resampled to width x height; the source is released.
Bitmap Resized(Bitmap source, int width, int height)
{
    void* bits = nullptr;
    HBITMAP target = NewDib(width, height, &bits);
    if (target == nullptr) return source;
    const HDC from = CreateCompatibleDC(nullptr);
    const HDC to = CreateCompatibleDC(nullptr);
    const HGDIOBJ oldFrom = SelectObject(from, source.handle);
    const HGDIOBJ oldTo = SelectObject(to, target);
    // Halftone averages the source pixels under each target pixel.
    SetStretchBltMode(to, HALFTONE);
    SetBrushOrgEx(to, 0, 0, nullptr);
    StretchBlt(to, 0, 0, width, height, from, 0, 0, source.width, source.height, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    DeleteObject(source.handle);
    return {target, width, height};
}

}  // namespace

Bitmap BitmapFor(std::span<const PictureDrawing> drawings, UINT dpi, const char* name)
{
    const PictureDrawing* base = DrawingFor(drawings, 96);
    const PictureDrawing* chosen = DrawingFor(drawings, static_cast<int>(dpi));
    if (base == nullptr || chosen == nullptr) return {};
    RgbImage rgb;
    int width = 0, height = 0;
    try {
        rgb = DecodeJpeg(base->jpeg);
        width = MulDiv(rgb.width, static_cast<int>(dpi), 96);
        height = MulDiv(rgb.height, static_cast<int>(dpi), 96);
        if (chosen != base) rgb = DecodeJpeg(chosen->jpeg);
    } catch (const std::exception& e) {
        // The pictures are built into the program; a broken one leaves its place empty.
        std::fprintf(stderr, "%s: %s\n", name, e.what());
        return {};
    }
    Bitmap bitmap = BitmapOf(rgb);
    if (bitmap.handle == nullptr || (bitmap.width == width && bitmap.height == height)) return bitmap;
    return Resized(bitmap, width, height);
}

}  // namespace platform::win32
