// Closing the main window while an apply writes: nothing is asked, the
// window stays on screen with the busy cursor until the apply has ended,
// then it closes and the event loop ends with 0. Runs the application's
// own event loop, so it needs a process of its own.
#include "tests/qt/QtFixture.h"

#include "app/DesktopForms.h"
#include "platform/CommandLine.h"
#include "platform/qt/QtServices.h"
#include "tests/support/PatchBuilder.h"
#include "tests/support/TempFiles.h"

#include <QLineEdit>

using namespace qttest;

class ClosingTest : public QObject {
    Q_OBJECT

private slots:
    void closingDuringAnApplyLetsItFinishThenEnds()
    {
        testsupport::TempDir dir;
        testsupport::PatchLayout layout;
        for (int i = 0; i < 5000; ++i) layout.records.push_back({i * 2, {0x5A}, {}});
        const std::string patch = dir.File("fix.kdx");
        testsupport::WriteFile(patch, testsupport::BuildPatch(layout));
        const std::string image = dir.File("disc.bin");
        testsupport::WriteFile(image, testsupport::Bytes(10000, 0));

        platform::SetCommandLine("/opt/mendrix/bin/mendrix", {patch});
        platform::qt::QtServices services;
        app::DesktopForms forms;
        forms.mainWindow.EditOf("edtImage").SetText(image);
        QApplication::setQuitOnLastWindowClosed(true);
        forms.mainWindow.ShowCentred();
        QVERIFY(QTest::qWaitForWindowExposed(forms.mainWindow.Widget()));

        bool shownAtTheEnd = false;
        BoxAnswerer boxes([&](const SeenBox&) {
            shownAtTheEnd = forms.mainWindow.Widget()->isVisible();
            return QString("OK");
        });
        bool closedWhilePatching = false;
        bool stayedAfterTheClose = false;
        bool busyAfterTheClose = false;
        WhenReady([&] { return qobject_cast<QLineEdit*>(forms.mainWindow.WidgetOf("edtKDX"))->text().size() > 0; },
                  [&] {
                      // The close comes in through the apply's own event processing.
                      WhenReady([&] { return forms.frmMain.Patching(); },
                                [&] {
                                    closedWhilePatching = true;
                                    forms.mainWindow.Widget()->close();
                                    stayedAfterTheClose = forms.mainWindow.Widget()->isVisible();
                                    const QCursor* cursor = QApplication::overrideCursor();
                                    busyAfterTheClose = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
                                },
                                0);
                      QTest::mouseClick(forms.mainWindow.WidgetOf("btnApply"), Qt::LeftButton, {}, QPoint(50, 12));
                  });
        const int code = QApplication::exec();

        QCOMPARE(code, 0);
        QVERIFY(closedWhilePatching);
        QVERIFY(stayedAfterTheClose);
        QVERIFY(busyAfterTheClose);
        QVERIFY(!forms.mainWindow.Widget()->isVisible());
        QCOMPARE(boxes.seen.size(), std::size_t{1});
        QCOMPARE(boxes.seen[0].text, QString("Patch successfully applied, burn image to CD now!"));
        QVERIFY(shownAtTheEnd);
        QVERIFY(!forms.frmMain.Patching());
        QVERIFY(!testsupport::HeldOpen(image));
        const testsupport::Bytes written = testsupport::ReadFile(image);
        QCOMPARE(written[0], std::uint8_t{0x5A});
        QCOMPARE(written[9998], std::uint8_t{0x5A});  // the last record
    }
};

#include "ClosingTest.moc"

QObject* NewClosingTest() { return new ClosingTest; }
