// The drawing and writing behind mendrix-art.
#pragma once

#include <QImage>
#include <QList>
#include <QString>

#include <array>

class QPainter;
class QRectF;

namespace art {

inline constexpr std::array<int, 7> kIconSizes = {16, 24, 32, 48, 64, 128, 256};

// The program's logo, a disc with a patch across it, into the square.
void PaintLogo(QPainter& painter, const QRectF& square);

QImage DrawIcon(int size);
QImage DrawMainFace();
QImage DrawAboutFace();

// Baseline JPEG through libjpeg, 4:4:4 so that small text stays sharp.
bool WriteJpeg(const QImage& image, const QString& path);
// A Windows icon file holding each image as a PNG entry.
bool WriteIco(const QList<QImage>& images, const QString& path);

}  // namespace art
