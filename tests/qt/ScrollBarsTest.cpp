// The memo's two scroll bars as a user sees them with a patch loaded: on
// screen, and each thumb standing out from its track.
#include "tests/qt/QtFixture.h"

#include "app/DesktopForms.h"
#include "platform/CommandLine.h"
#include "platform/qt/QtServices.h"
#include "tests/support/PatchBuilder.h"
#include "tests/support/TempFiles.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyleOptionSlider>

#include <algorithm>
#include <memory>

class ScrollBarsTest : public QObject {
    Q_OBJECT

private slots:
    void bothBarsShowAThumbThatStandsOutFromTheTrack()
    {
        const testsupport::TempDir dir;
        testsupport::PatchLayout layout;
        layout.version = 3;
        layout.records = {{0, {1}, {}}};
        std::string diz;
        for (int line = 0; line < 30; ++line) diz += "line\r\n";
        layout.diz = diz + std::string(120, 'w');  // longer and wider than the memo
        const std::string patch = dir.File("fix.kdx");
        testsupport::WriteFile(patch, testsupport::BuildPatch(layout));
        platform::SetCommandLine("/opt/mendrix/bin/mendrix", {patch});
        platform::qt::QtServices services;
        app::DesktopForms forms;
        forms.mainWindow.ShowCentred();
        QVERIFY(QTest::qWaitForWindowExposed(forms.mainWindow.Widget()));
        auto* memo = qobject_cast<QPlainTextEdit*>(forms.mainWindow.WidgetOf("infMemo"));
        QTRY_VERIFY(!memo->toPlainText().isEmpty());
        QCoreApplication::processEvents();

        for (QScrollBar* bar : {memo->horizontalScrollBar(), memo->verticalScrollBar()}) {
            const char* which = bar->orientation() == Qt::Horizontal ? "horizontal" : "vertical";
            QVERIFY2(bar->isVisible(), which);
            QCOMPARE(bar->width() < bar->height() ? bar->width() : bar->height(), 16);  // the platform's bar
            QStyleOptionSlider option;
            option.initFrom(bar);
            option.orientation = bar->orientation();
            option.minimum = bar->minimum();
            option.maximum = bar->maximum();
            option.sliderPosition = bar->sliderPosition();
            option.sliderValue = bar->value();
            option.pageStep = bar->pageStep();
            option.singleStep = bar->singleStep();
            option.subControls = QStyle::SC_All;
            const QRect thumb =
                bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
            QVERIFY2(thumb.isValid(), which);
            // The thumb is raised: its lower right edge is drawn in a shadow
            // a user can tell from the track beside it.
            const QImage shot = bar->grab().toImage();
            int darkest = 255;
            for (int x = thumb.left(); x <= thumb.right(); ++x)
                darkest = std::min(darkest, qGray(shot.pixel(x, thumb.bottom())));
            for (int y = thumb.top(); y <= thumb.bottom(); ++y)
                darkest = std::min(darkest, qGray(shot.pixel(thumb.right(), y)));
            QVERIFY2(darkest <= 128, qPrintable(QString("%1 thumb edge %2").arg(which).arg(darkest)));
        }
    }
};

#include "ScrollBarsTest.moc"

QObject* NewScrollBarsTest() { return new ScrollBarsTest; }
