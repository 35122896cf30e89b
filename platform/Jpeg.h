// Decoding of the windows' JPEG pictures with libjpeg's IJG API.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace platform {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // width * height * 3 bytes, rows top to bottom
};

// Decodes a JPEG held in memory to 8-bit RGB. Throws std::runtime_error
// with the library's message when the bytes are no JPEG it can read; never
// ends the process.
RgbImage DecodeJpeg(std::span<const unsigned char> data);

}  // namespace platform
