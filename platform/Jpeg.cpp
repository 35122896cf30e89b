#include "platform/Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <stdexcept>
#include <string>

#include <jpeglib.h>

namespace platform {
namespace {

// libjpeg ends the process on an error unless told otherwise: jump back
// out of the library instead and report its message.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void OnError(j_common_ptr info)
{
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

void OnMessage(j_common_ptr) {}  // warnings are not shown

// Holds no object with a destructor, so the jump skips nothing. Answers
// false with the library's message on failure.
bool Decode(const unsigned char* data, unsigned long size, RgbImage& out, char* message)
{
    jpeg_decompress_struct info;
    ErrorManager err;
    info.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.output_message = OnMessage;
    if (setjmp(err.jump)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.message);
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    const std::size_t stride = static_cast<std::size_t>(info.output_width) * 3;
    out.rgb.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.rgb.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

RgbImage DecodeJpeg(std::span<const unsigned char> data)
{
    if (data.empty()) throw std::runtime_error("JPEG picture is empty");
    RgbImage image;
    char message[JMSG_LENGTH_MAX] = {};
    if (!Decode(data.data(), static_cast<unsigned long>(data.size()), image, message))
        throw std::runtime_error(std::string("JPEG picture cannot be read: ") + message);
    return image;
}

}  // namespace platform
