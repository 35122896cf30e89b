#include "ui/art/ArtPainter.h"
#include "Version.h"

#include <QConicalGradient>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace art {
namespace {

const QColor kDeepBlue(0x1b, 0x30, 0x50);
const QColor kBlue(0x2c, 0x4f, 0x7c);
const QColor kPanelGrey(0xbf, 0xbf, 0xbf);  // the memo's and the check box's grey
const QColor kInk(0x22, 0x22, 0x22);

QFont Font(int pixels, bool bold = false, bool italic = false)
{
    QFont font("Liberation Sans");
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// The header band shared by both pictures.
void PaintHeader(QPainter& p, const QRect& band)
{
    QLinearGradient g(band.topLeft(), band.bottomLeft());
    g.setColorAt(0, QColor(0x3a, 0x66, 0x9c));
    g.setColorAt(1, kDeepBlue);
    p.fillRect(band, g);
}

// A silver disc, centre (cx, cy), radius r.
void PaintDisc(QPainter& p, QPointF c, qreal r)
{
    QConicalGradient sheen(c, 30);
    sheen.setColorAt(0.00, QColor(0xe6, 0xe9, 0xee));
    sheen.setColorAt(0.15, QColor(0xc9, 0xe4, 0xf5));
    sheen.setColorAt(0.30, QColor(0xf4, 0xf4, 0xf4));
    sheen.setColorAt(0.45, QColor(0xf3, 0xe1, 0xc0));
    sheen.setColorAt(0.60, QColor(0xd6, 0xd9, 0xde));
    sheen.setColorAt(0.75, QColor(0xd9, 0xcf, 0xf0));
    sheen.setColorAt(1.00, QColor(0xe6, 0xe9, 0xee));
    p.setPen(QPen(QColor(0x5d, 0x66, 0x73), qMax<qreal>(1, r / 24)));
    p.setBrush(sheen);
    p.drawEllipse(c, r, r);
    p.setPen(QPen(QColor(0x8a, 0x93, 0xa0), qMax<qreal>(0.8, r / 40)));
    p.setBrush(QColor(0xee, 0xf0, 0xf3));
    p.drawEllipse(c, r * 0.34, r * 0.34);
    p.setBrush(QColor(0x9a, 0xa3, 0xb0));
    p.drawEllipse(c, r * 0.15, r * 0.15);
}

// A sticking plaster across the disc.
void PaintPlaster(QPainter& p, QPointF c, qreal r)
{
    p.save();
    p.translate(c);
    p.rotate(-38);
    const QRectF strip(-r * 0.98, -r * 0.27, r * 1.96, r * 0.54);
    QLinearGradient g(strip.topLeft(), strip.bottomLeft());
    g.setColorAt(0, QColor(0xf6, 0xb9, 0x6d));
    g.setColorAt(1, QColor(0xdc, 0x8b, 0x3c));
    p.setPen(QPen(QColor(0x9c, 0x58, 0x1f), qMax<qreal>(0.8, r / 28)));
    p.setBrush(g);
    p.drawRoundedRect(strip, r * 0.22, r * 0.22);
    const QRectF pad(-r * 0.34, -r * 0.2, r * 0.68, r * 0.4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xfb, 0xe3, 0xbf));
    p.drawRoundedRect(pad, r * 0.06, r * 0.06);
    if (r >= 12) {
        p.setBrush(QColor(0xc7, 0x7a, 0x35));
        for (const qreal x : {-0.72, -0.55, 0.55, 0.72})
            for (const qreal y : {-0.1, 0.1}) p.drawEllipse(QPointF(x * r, y * r), r * 0.035, r * 0.035);
    }
    p.restore();
}

// A rounded button face with a small icon painter and a caption.
template <typename Icon>
void PaintButtonFace(QPainter& p, const QRect& r, const QString& caption, Icon icon)
{
    const QRectF box = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient g(box.topLeft(), box.bottomLeft());
    g.setColorAt(0, QColor(0xfe, 0xfe, 0xfe));
    g.setColorAt(0.5, QColor(0xee, 0xee, 0xee));
    g.setColorAt(1, QColor(0xd2, 0xd2, 0xd2));
    p.setPen(QColor(0x86, 0x8a, 0x90));
    p.setBrush(g);
    p.drawRoundedRect(box, 3.5, 3.5);
    p.setFont(Font(12, true));
    const int textWidth = p.fontMetrics().horizontalAdvance(caption);
    const int left = r.left() + (r.width() - (16 + 6 + textWidth)) / 2;
    icon(QRectF(left, r.top() + (r.height() - 16) / 2.0, 16, 16));
    p.setPen(kInk);
    p.drawText(QRect(left + 22, r.top(), textWidth + 2, r.height()), Qt::AlignVCenter | Qt::AlignLeft, caption);
}

void PaintFloppy(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(QColor(0x17, 0x2a, 0x48), 1));
    p.setBrush(QColor(0x2f, 0x5d, 0x98));
    QPainterPath body;
    body.moveTo(r.left(), r.top() + 1);
    body.lineTo(r.right() - 3, r.top() + 1);
    body.lineTo(r.right(), r.top() + 4);
    body.lineTo(r.right(), r.bottom());
    body.lineTo(r.left(), r.bottom());
    body.closeSubpath();
    p.drawPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xc9, 0xcf, 0xd8));
    p.drawRect(QRectF(r.left() + 3.5, r.top() + 1.5, r.width() - 8, 5));
    p.setBrush(QColor(0x2f, 0x5d, 0x98));
    p.drawRect(QRectF(r.left() + r.width() - 8, r.top() + 2.5, 2, 3));
    p.setBrush(QColor(0xfa, 0xfa, 0xfa));
    p.drawRect(QRectF(r.left() + 2.5, r.top() + r.height() - 7.5, r.width() - 5, 6));
    p.setPen(QColor(0xb0, 0xb8, 0xc4));
    p.drawLine(QPointF(r.left() + 4, r.bottom() - 4.5), QPointF(r.right() - 4, r.bottom() - 4.5));
}

void PaintPatchSheet(QPainter& p, const QRectF& r)
{
    QPainterPath sheet;
    sheet.moveTo(r.left() + 2.5, r.top() + 0.5);
    sheet.lineTo(r.right() - 4.5, r.top() + 0.5);
    sheet.lineTo(r.right() - 1.5, r.top() + 3.5);
    sheet.lineTo(r.right() - 1.5, r.bottom() - 0.5);
    sheet.lineTo(r.left() + 2.5, r.bottom() - 0.5);
    sheet.closeSubpath();
    p.setPen(QColor(0x5a, 0x63, 0x70));
    p.setBrush(QColor(0xfd, 0xfd, 0xfd));
    p.drawPath(sheet);
    p.setPen(QColor(0x4a, 0x7a, 0xb5));
    for (int i = 0; i < 4; ++i) {
        const qreal y = r.top() + 4.5 + i * 2.5;
        p.drawLine(QPointF(r.left() + 4.5, y), QPointF(r.right() - (i == 3 ? 7 : 3.5), y));
    }
    p.setBrush(QColor(0xe8, 0x8a, 0x2e));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(r.left() + 4, r.bottom() - 5, r.width() - 8, 3), 1, 1);
}

void PaintCheck(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(QColor(0x1f, 0x8a, 0x3a), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath tick;
    tick.moveTo(r.left() + 2, r.top() + 8.5);
    tick.lineTo(r.left() + 6.5, r.top() + 13);
    tick.lineTo(r.right() - 1.5, r.top() + 3);
    p.drawPath(tick);
}

void PaintInfo(QPainter& p, const QRectF& r)
{
    p.setPen(QColor(0x1d, 0x4f, 0x8f));
    p.setBrush(QColor(0x3a, 0x78, 0xc4));
    p.drawEllipse(r.adjusted(0.5, 0.5, -0.5, -0.5));
    p.setPen(Qt::white);
    p.setFont(Font(12, true));
    p.drawText(r.adjusted(0, 0, 0, 1), Qt::AlignCenter, "i");
}

void PaintExit(QPainter& p, const QRectF& r)
{
    p.setPen(QColor(0x8c, 0x1d, 0x1d));
    p.setBrush(QColor(0xd2, 0x3c, 0x3c));
    p.drawEllipse(r.adjusted(0.5, 0.5, -0.5, -0.5));
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    const QPointF c = r.center();
    p.drawLine(c + QPointF(-3.5, -3.5), c + QPointF(3.5, 3.5));
    p.drawLine(c + QPointF(-3.5, 3.5), c + QPointF(3.5, -3.5));
}

void PaintRowLabel(QPainter& p, int top, const QString& caption, void (*icon)(QPainter&, const QRectF&))
{
    icon(p, QRectF(14, top + 2, 16, 16));
    p.setFont(Font(12, true));
    p.setPen(QColor(0x2a, 0x2f, 0x36));
    p.drawText(QRect(36, top, 74, 21), Qt::AlignVCenter | Qt::AlignLeft, caption);
}

void PaintSmallDisc(QPainter& p, const QRectF& r)
{
    PaintDisc(p, r.center(), r.width() / 2 - 0.5);
}

// A sunken well where an edit or the web label lies, so its edge blends in.
void PaintWell(QPainter& p, const QRect& r)
{
    p.setPen(QColor(0x9c, 0xa0, 0xa6));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(-1, -1, 0, 0));
    p.setPen(QColor(0xfa, 0xfa, 0xfa));
    p.drawLine(r.left() - 1, r.bottom() + 1, r.right() + 1, r.bottom() + 1);
    p.drawLine(r.right() + 1, r.top() - 1, r.right() + 1, r.bottom() + 1);
}

// A picture of the design's size in pixels, painted in those units at the scale.
QImage Canvas(int width, int height, qreal factor)
{
    QImage image(qRound(width * factor), qRound(height * factor), QImage::Format_RGB32);
    image.setDevicePixelRatio(factor);
    return image;
}

}  // namespace

void PaintLogo(QPainter& p, const QRectF& square)
{
    const QPointF c = square.center();
    const qreal r = square.width() / 2 - qMax<qreal>(0.5, square.width() / 64);
    PaintDisc(p, c, r);
    PaintPlaster(p, c, r);
}

QImage DrawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    PaintLogo(p, QRectF(0, 0, size, size));
    // The disc's hole shows what lies beneath.
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    const qreal r = size / 2.0 - qMax<qreal>(0.5, size / 64.0);
    p.drawEllipse(QPointF(size / 2.0, size / 2.0), r * 0.08, r * 0.08);
    return image;
}

QImage DrawMainFace(qreal factor)
{
    QImage image = Canvas(410, 180, factor);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Body, then the header band with the logo and the name, kept slim so
    // that the frame's title clears the image edit below it.
    QLinearGradient body(0, 30, 0, 152);
    body.setColorAt(0, QColor(0xea, 0xeb, 0xed));
    body.setColorAt(1, QColor(0xd2, 0xd3, 0xd6));
    p.fillRect(QRect(0, 0, 410, 180), body);
    PaintHeader(p, QRect(0, 0, 410, 27));
    p.fillRect(QRect(0, 27, 410, 1), QColor(0x6f, 0x9a, 0xcc));
    p.fillRect(QRect(0, 28, 410, 1), QColor(0x12, 0x22, 0x3a));
    PaintLogo(p, QRectF(8, 2, 23, 23));
    p.setPen(Qt::white);
    p.setFont(Font(18, true));
    p.drawText(QPoint(38, 21), "MENDRIX");
    const int nameWidth = p.fontMetrics().horizontalAdvance("MENDRIX");
    p.setPen(QColor(0xa9, 0xc8, 0xee));
    p.setFont(Font(11, true));
    p.drawText(QPoint(42 + nameWidth, 21), "v" MENDRIX_VERSION);
    p.setPen(QColor(0xd3, 0xe0, 0xf0));
    p.setFont(Font(11, false, true));
    p.drawText(QRect(200, 0, 200, 27), Qt::AlignRight | Qt::AlignVCenter, "KDX patches for CD images");

    // The frame around the choice of files, titled on its top edge; the
    // title's descenders end 5 px above the image edit.
    const QRectF frame(6.5, 36.5, 397, 83);
    p.setBrush(Qt::NoBrush);
    p.setPen(QColor(0xff, 0xff, 0xff));
    p.drawRoundedRect(frame.translated(1, 1), 4, 4);
    p.setPen(QColor(0x98, 0x9c, 0xa3));
    p.drawRoundedRect(frame, 4, 4);
    p.setFont(Font(11, true));
    const QString title = "Choose the image and the patch";
    const int titleWidth = p.fontMetrics().horizontalAdvance(title);
    p.fillRect(QRect(14, 31, titleWidth + 8, 11), body);
    p.setPen(kBlue);
    p.drawText(QPoint(18, 40), title);

    // The two file rows: image above, patch below, each with its disk.
    PaintRowLabel(p, 48, "CD-Image", PaintSmallDisc);
    PaintRowLabel(p, 89, "KDX-Patch", PaintPatchSheet);
    PaintWell(p, QRect(112, 48, 241, 21));
    PaintWell(p, QRect(112, 89, 241, 21));
    PaintFloppy(p, QRectF(361.5, 50.5, 17, 17));
    PaintFloppy(p, QRectF(361.5, 91.5, 17, 17));
    p.setPen(QColor(0x6b, 0x70, 0x78));
    p.setFont(Font(10, false, true));
    p.drawText(QRect(112, 71, 241, 16), Qt::AlignLeft | Qt::AlignVCenter,
               "browse with the disks, or drop files on this window");

    // The faces of Apply, About and Quit.
    PaintButtonFace(p, QRect(15, 126, 127, 25), "Apply patch", [&](const QRectF& r) { PaintCheck(p, r); });
    PaintButtonFace(p, QRect(150, 126, 112, 25), "About", [&](const QRectF& r) { PaintInfo(p, r); });
    PaintButtonFace(p, QRect(270, 126, 122, 25), "Quit", [&](const QRectF& r) { PaintExit(p, r); });

    // The strip of the undo box, in the box's own grey.
    p.fillRect(QRect(0, 155, 410, 25), kPanelGrey);
    p.fillRect(QRect(0, 155, 410, 1), QColor(0xa2, 0xa4, 0xa8));
    p.fillRect(QRect(0, 156, 410, 1), QColor(0xdc, 0xdc, 0xdc));
    p.setPen(QColor(0x4d, 0x52, 0x5a));
    p.setFont(Font(10, false, true));
    p.drawText(QRect(200, 157, 202, 22), Qt::AlignRight | Qt::AlignVCenter, "patch information below");
    return image;
}

QImage DrawAboutFace(qreal factor)
{
    QImage image = Canvas(325, 215, factor);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    PaintHeader(p, QRect(0, 0, 325, 156));
    PaintLogo(p, QRectF(16, 16, 72, 72));
    p.setPen(Qt::white);
    p.setFont(Font(34, true));
    p.drawText(QPoint(100, 52), "MENDRIX");
    p.setPen(QColor(0xa9, 0xc8, 0xee));
    p.setFont(Font(14, true));
    p.drawText(QPoint(102, 72), "version " MENDRIX_VERSION);
    p.setPen(QColor(0xd3, 0xe0, 0xf0));
    p.setFont(Font(12, false, true));
    p.drawText(QPoint(102, 90), "KDX patches for CD images");

    p.fillRect(QRect(16, 104, 293, 1), QColor(0x6f, 0x9a, 0xcc));
    p.setPen(QColor(0xe4, 0xec, 0xf6));
    p.setFont(Font(11));
    const QStringList credits = {"Program and artwork: the MENDRIX team",
                                 "Pictures decoded with libjpeg-turbo, based in",
                                 "part on the work of the Independent JPEG Group"};
    for (int i = 0; i < credits.size(); ++i) p.drawText(QPoint(18, 122 + i * 14), credits[i]);

    // The invitation, with the address label's place beneath it.
    p.fillRect(QRect(0, 156, 325, 59), kPanelGrey);
    p.fillRect(QRect(0, 156, 325, 1), QColor(0x12, 0x22, 0x3a));
    p.setPen(kInk);
    p.setFont(Font(12, true));
    p.drawText(QRect(0, 158, 325, 17), Qt::AlignCenter, "Read the program's guide:");
    PaintWell(p, QRect(99, 175, 157, 16));
    p.setPen(QColor(0x55, 0x5a, 0x62));
    p.setFont(Font(10, false, true));
    p.drawText(QRect(0, 196, 325, 16), Qt::AlignCenter, "click the picture to close this window");
    return image;
}

}  // namespace art
