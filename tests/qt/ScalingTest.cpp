// Both windows at the display scale this process runs at (QT_SCALE_FACTOR
// 1, 1.25, 1.5 or 2, one process each): the design's places, the windows'
// size in device pixels, each picture the drawing made for the scale pixel
// for pixel (between scales, the next larger one smoothly scaled down), and
// every control's text inside its rectangle.
#include "tests/qt/QtFixture.h"

#include "app/DesktopForms.h"
#include "platform/CommandLine.h"
#include "platform/Jpeg.h"
#include "platform/MemoText.h"
#include "platform/qt/QtServices.h"
#include "tests/support/PatchBuilder.h"
#include "tests/support/TempFiles.h"
#include "ui/Pictures.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <memory>

namespace {

struct Scale {
    qreal factor;
    QSize main, about;  // client areas in device pixels
    int drawn;          // the drawing shown as it is, in percent; 0: a larger one scaled down
};

const Scale kScales[] = {
    {1.0, {410, 345}, {325, 215}, 100},
    {1.25, {513, 431}, {406, 269}, 0},
    {1.5, {615, 518}, {488, 323}, 150},
    {2.0, {820, 690}, {650, 430}, 200},
};

QRgb DrawnAt(const platform::RgbImage& drawn, int x, int y)
{
    const std::size_t i = (static_cast<std::size_t>(y) * drawn.width + x) * 3;
    return qRgb(drawn.rgb[i], drawn.rgb[i + 1], drawn.rgb[i + 2]);
}

// How many pixels of the rows [0, rows) differ from the drawing.
int Differing(const QImage& shot, const platform::RgbImage& drawn, int rows)
{
    int differing = 0;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < drawn.width; ++x)
            if ((shot.pixel(x, y) & 0xFFFFFF) != (DrawnAt(drawn, x, y) & 0xFFFFFF)) ++differing;
    return differing;
}

}  // namespace

class ScalingTest : public QObject {
    Q_OBJECT

private:
    QWidget* Main() const { return forms->mainWindow.Widget(); }
    QWidget* About() const { return forms->aboutWindow.Widget(); }
    const Scale* Current() const
    {
        for (const Scale& scale : kScales)
            if (qFuzzyCompare(scale.factor, Main()->devicePixelRatioF())) return &scale;
        return nullptr;
    }

    testsupport::TempDir dir;
    std::unique_ptr<platform::qt::QtServices> services;
    std::unique_ptr<app::DesktopForms> forms;

private slots:
    void init()
    {
        testsupport::PatchLayout layout;
        layout.version = 3;
        layout.description = "English translation patch v1.2";
        layout.records = {{0, {1}, {}}};
        const std::string patch = dir.File("fix.kdx");
        testsupport::WriteFile(patch, testsupport::BuildPatch(layout));
        platform::SetCommandLine("/opt/mendrix/bin/mendrix", {patch});
        services = std::make_unique<platform::qt::QtServices>();
        forms = std::make_unique<app::DesktopForms>();
        forms->mainWindow.ShowCentred();
        QVERIFY(QTest::qWaitForWindowExposed(Main()));
        QTRY_VERIFY(!forms->mainWindow.MemoOf("infMemo").Lines().empty());
    }
    void cleanup()
    {
        forms.reset();
        services.reset();
    }

    void windowsAreTheDesignTimesTheScale()
    {
        const Scale* scale = Current();
        QVERIFY2(scale != nullptr, qPrintable(QString::number(Main()->devicePixelRatioF())));
        // The design's places in the window's own units, whatever the scale.
        QCOMPARE(Main()->size(), QSize(410, 345));
        QCOMPARE(forms->mainWindow.WidgetOf("edtKDX")->geometry(), QRect(112, 89, 241, 21));
        QCOMPARE(forms->mainWindow.WidgetOf("bgImage")->geometry(), QRect(0, 0, 410, 180));
        QCOMPARE(forms->aboutWindow.WidgetOf("lblWeb")->geometry(), QRect(99, 175, 157, 16));
        // Those times the scale on the display.
        QCOMPARE(Main()->grab().size(), scale->main);
        QCOMPARE(About()->grab().size(), scale->about);
    }

    void picturesAreTheDrawingsMadeForTheScale()
    {
        const Scale* scale = Current();
        QVERIFY(scale != nullptr);
        const struct {
            QWidget* window;
            std::span<const platform::PictureDrawing> drawings;
            int rows;  // design rows with no control over the picture
        } pictures[] = {{Main(), ui::BgImage(), 45}, {About(), ui::AboutImage(), 170}};
        for (const auto& picture : pictures) {
            const QImage shot = picture.window->grab().toImage();
            const int percent = scale->drawn != 0 ? scale->drawn : 150;
            const platform::PictureDrawing* drawing = nullptr;
            for (const auto& d : picture.drawings)
                if (d.percent == percent) drawing = &d;
            QVERIFY(drawing != nullptr);
            const platform::RgbImage drawn = platform::DecodeJpeg(drawing->jpeg);
            const int rows = qRound(picture.rows * scale->factor);
            if (scale->drawn != 0) {
                QCOMPARE(Differing(shot, drawn, rows), 0);
                continue;
            }
            // Scaled down from the 150 % drawing: close to that drawing
            // scaled down smoothly (the 100 % one enlarged is twice as far
            // off), and smoothed, not picked: most pixels are no copy of the
            // nearest drawn one.
            const QSize size(qRound(drawn.width / 1.5 * scale->factor), qRound(drawn.height / 1.5 * scale->factor));
            const QImage reference =
                QImage(drawn.rgb.data(), drawn.width, drawn.height, drawn.width * 3, QImage::Format_RGB888)
                    .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            long difference = 0;
            int copies = 0;
            for (int y = 0; y < rows; ++y)
                for (int x = 0; x < size.width(); ++x) {
                    difference += qAbs(qGray(shot.pixel(x, y)) - qGray(reference.pixel(x, y)));
                    const QRgb nearest = DrawnAt(drawn, x * drawn.width / size.width(), y * drawn.height / size.height());
                    if ((shot.pixel(x, y) & 0xFFFFFF) == (nearest & 0xFFFFFF)) ++copies;
                }
            const long pixels = static_cast<long>(size.width()) * rows;
            QVERIFY2(difference < 3 * pixels, qPrintable(QString::number(double(difference) / pixels)));
            QVERIFY2(copies < pixels * 3 / 4, qPrintable(QString::number(copies)));
        }
    }

    void everyControlsTextFitsItsRectangle()
    {
        auto* undo = qobject_cast<QCheckBox*>(forms->mainWindow.WidgetOf("cbUndo"));
        for (const bool enabled : {false, true}) {
            forms->mainWindow.CheckBoxOf("cbUndo").SetEnabled(enabled);
            QVERIFY2(undo->sizeHint().width() <= undo->width(), qPrintable(QString::number(undo->sizeHint().width())));
        }
        auto* web = qobject_cast<QLabel*>(forms->aboutWindow.WidgetOf("lblWeb"));
        QVERIFY(web->fontMetrics().horizontalAdvance(web->text()) < web->width());
        QVERIFY(web->fontMetrics().tightBoundingRect(web->text()).height() <= web->height());
        for (const char* name : {"edtImage", "edtKDX"}) {
            auto* edit = qobject_cast<QLineEdit*>(forms->mainWindow.WidgetOf(name));
            QVERIFY2(edit->fontMetrics().height() <= edit->contentsRect().height(), name);
        }
        // The memo's lines fit its width (the path's line aside, which may be any length).
        auto* memo = qobject_cast<QPlainTextEdit*>(forms->mainWindow.WidgetOf("infMemo"));
        for (const std::string& line : platform::DisplayLines(forms->mainWindow.MemoOf("infMemo").Lines())) {
            if (line.rfind("Filename", 0) == 0) continue;
            const QString shown = QString::fromStdString(platform::MemoLineToUtf8(line, false));
            QVERIFY2(memo->fontMetrics().horizontalAdvance(shown) < memo->viewport()->width(), line.c_str());
        }
    }
};

#include "ScalingTest.moc"

QObject* NewScalingTest() { return new ScalingTest; }
