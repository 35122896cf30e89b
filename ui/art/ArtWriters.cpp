#include "ui/art/ArtPainter.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>

#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace art {

bool WriteJpeg(const QImage& image, const QString& path)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (file == nullptr) return false;
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(rgb.width());
    info.image_height = static_cast<JDIMENSION>(rgb.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 94, TRUE);
    for (int c = 0; c < 3; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

namespace {
void Put16(QByteArray& out, int v)
{
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(QByteArray& out, qint64 v)
{
    Put16(out, static_cast<int>(v & 0xFFFF));
    Put16(out, static_cast<int>((v >> 16) & 0xFFFF));
}
}  // namespace

bool WriteIco(const QList<QImage>& images, const QString& path)
{
    std::vector<QByteArray> pngs;
    for (const QImage& image : images) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG")) return false;
        pngs.push_back(png);
    }
    QByteArray out;
    Put16(out, 0);  // reserved
    Put16(out, 1);  // an icon
    Put16(out, static_cast<int>(images.size()));
    qint64 offset = 6 + 16 * static_cast<qint64>(images.size());
    for (int i = 0; i < images.size(); ++i) {
        const int size = images[i].width();
        out.append(static_cast<char>(size >= 256 ? 0 : size));
        out.append(static_cast<char>(size >= 256 ? 0 : size));
        out.append('\0');  // no palette
        out.append('\0');
        Put16(out, 1);   // planes
        Put16(out, 32);  // bits per pixel
        Put32(out, pngs[static_cast<std::size_t>(i)].size());
        Put32(out, offset);
        offset += pngs[static_cast<std::size_t>(i)].size();
    }
    for (const QByteArray& png : pngs) out.append(png);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}

}  // namespace art
