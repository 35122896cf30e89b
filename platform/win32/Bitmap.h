// The designs' JPEG pictures as GDI bitmaps, decoded by the one decoder of
// every platform (libjpeg-turbo).
#pragma once

#include <windows.h>

#include <span>

namespace platform::win32 {

struct Bitmap {
    HBITMAP handle = nullptr;
    int width = 0;
    int height = 0;
};

// A 24-bit DIB section of the picture; an empty Bitmap (and a line on
// standard error) when the bytes are no JPEG, never an exception.
Bitmap BitmapOf(std::span<const unsigned char> jpeg, const char* name);

}  // namespace platform::win32
