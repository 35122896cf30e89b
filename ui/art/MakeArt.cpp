// Draws the program's artwork: the main window's face (bgImage.jpg,
// 410 x 180), the About picture (aboutImage.jpg, 325 x 215), each again for
// 150 % and 200 % display scales (bgImage@1.5x.jpg, bgImage@2x.jpg ...),
// and the program icon (icons/mendrix-N.png and mendrix.ico). The pictures are drawn to the
// pixel positions of the windows' controls, so the flat buttons, the edits
// and the web label sit exactly over their places.
//
// Usage: mendrix-art OUTPUT_FOLDER
#include "ui/art/ArtPainter.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: mendrix-art OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath("icons")) {
        std::fprintf(stderr, "mendrix-art: cannot create %s/icons\n", argv[1]);
        return 1;
    }
    bool ok = true;
    for (const art::Scale& scale : art::kScales) {
        ok = art::WriteJpeg(art::DrawMainFace(scale.factor), out.filePath(QString("bgImage%1.jpg").arg(scale.suffix))) &&
             ok;
        ok = art::WriteJpeg(art::DrawAboutFace(scale.factor),
                            out.filePath(QString("aboutImage%1.jpg").arg(scale.suffix))) &&
             ok;
    }
    QList<QImage> icons;
    for (const int size : art::kIconSizes) {
        const QImage icon = art::DrawIcon(size);
        ok = icon.save(out.filePath(QString("icons/mendrix-%1.png").arg(size)), "PNG") && ok;
        icons.append(icon);
    }
    ok = art::WriteIco(icons, out.filePath("mendrix.ico")) && ok;
    if (!ok) {
        std::fprintf(stderr, "mendrix-art: writing the pictures failed\n");
        return 1;
    }
    return 0;
}
