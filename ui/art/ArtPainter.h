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

// The display scales each window picture is drawn for, and the suffix of
// its file at that scale (the toolkit's high-DPI naming: name@2x.jpg).
struct Scale {
    qreal factor;
    const char* suffix;
};
inline constexpr std::array<Scale, 3> kScales = {{{1.0, ""}, {1.5, "@1.5x"}, {2.0, "@2x"}}};

QImage DrawIcon(int size);
// The windows' faces drawn at a scale: the design's pixels times factor
// (rounded as the window rounds its sizes), each line and letter drawn for
// that resolution, not enlarged.
QImage DrawMainFace(qreal factor);
QImage DrawAboutFace(qreal factor);

// Baseline JPEG through libjpeg, 4:4:4 so that small text stays sharp.
bool WriteJpeg(const QImage& image, const QString& path);
// A Windows icon file holding each image as a PNG entry.
bool WriteIco(const QList<QImage>& images, const QString& path);

}  // namespace art
