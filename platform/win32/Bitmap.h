// The designs' pictures as GDI bitmaps for a display's DPI, decoded by the
// one decoder of every platform (libjpeg-turbo).
#pragma once

#include "platform/Design.h"

#include <windows.h>

#include <span>

namespace platform::win32 {

struct Bitmap {
    HBITMAP handle = nullptr;
    int width = 0;
    int height = 0;
};

// The picture for dpi as a 24-bit DIB section, the size of its 100 %
// drawing times dpi / 96 (rounded as MulDiv rounds): the drawing made for
// that scale as it is; between scales the next larger drawing scaled down
// with the system's halftone filter (past the largest, that one enlarged).
// An empty Bitmap (and a line on standard error) when a drawing is no
// JPEG, never an exception.
Bitmap BitmapFor(std::span<const PictureDrawing> drawings, UINT dpi, const char* name);

}  // namespace platform::win32
