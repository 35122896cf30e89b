// The About window on the real widgets: its design, its placement on the
// first and later showings, the label's look, the address and closing.
#include "tests/qt/QtFixture.h"

#include "app/DesktopForms.h"
#include "platform/CommandLine.h"
#include "platform/qt/QtServices.h"

#include <QDesktopServices>
#include <QFontInfo>
#include <QLabel>
#include <QUrl>

#include <memory>

using namespace qttest;

class AboutWindowTest : public QObject {
    Q_OBJECT

public slots:
    // Stands in for the desktop's web browser.
    void openUrl(const QUrl& url) { opened += url; }

private:
    QWidget* Main() const { return forms->mainWindow.Widget(); }
    QWidget* About() const { return forms->aboutWindow.Widget(); }
    QLabel* Web() const { return qobject_cast<QLabel*>(forms->aboutWindow.WidgetOf("lblWeb")); }
    QWidget* Picture() const { return forms->aboutWindow.WidgetOf("aboutImage"); }

    // Presses About; while the window is up, runs inside() and then clicks the
    // picture. Answers where the window stood.
    QRect ShowAbout(const std::function<void()>& inside = {})
    {
        QRect at;
        WhenReady([this] { return About()->isVisible() && QApplication::activeModalWidget() == About(); },
                  [this, &at, inside] {
                      at = About()->frameGeometry();
                      if (inside) inside();
                      QTest::mouseClick(Picture(), Qt::LeftButton, {}, QPoint(20, 20));
                  });
        QTest::mouseClick(forms->mainWindow.WidgetOf("btnAbout"), Qt::LeftButton, {}, QPoint(50, 12));
        return at;
    }

    std::unique_ptr<platform::qt::QtServices> services;
    std::unique_ptr<app::DesktopForms> forms;
    QList<QUrl> opened;

private slots:
    void init()
    {
        platform::SetCommandLine("/opt/mendrix/bin/mendrix", {});
        services = std::make_unique<platform::qt::QtServices>();
        forms = std::make_unique<app::DesktopForms>();
        forms->mainWindow.ShowCentred();
        QVERIFY(QTest::qWaitForWindowExposed(Main()));
        opened.clear();
        QDesktopServices::setUrlHandler("file", this, "openUrl");
    }
    void cleanup()
    {
        QDesktopServices::unsetUrlHandler("file");
        forms.reset();
        services.reset();
    }

    void windowIsBorderlessHiddenAndHasTheDesignedControls()
    {
        QVERIFY(!About()->isVisible());
        QCOMPARE(About()->size(), QSize(325, 215));
        QVERIFY(About()->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(Picture()->geometry(), QRect(0, 0, 325, 215));
        QCOMPARE(Web()->geometry(), QRect(99, 175, 157, 16));
        QCOMPARE(Web()->text(), QString("README.md"));
        QCOMPARE(Web()->alignment(), Qt::AlignCenter);
        QCOMPARE(Web()->toolTip(), QString("visit our website"));
        QCOMPARE(Web()->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(QFontInfo(Web()->font()).pixelSize(), 15);
        QVERIFY(!Web()->font().underline());
        QVERIFY(Web()->autoFillBackground());
        QCOMPARE(Web()->palette().color(Web()->backgroundRole()), QColor(191, 191, 191));
    }

    void firstShowingIsCentredOverTheMainWindowLaterOnesBesideIt()
    {
        const QRect main = Main()->frameGeometry();
        QRect at = ShowAbout();
        QCOMPARE(at.topLeft(), QPoint(main.x() + (main.width() - 325) / 2, main.y() + (main.height() - 215) / 2));
        QVERIFY(!About()->isVisible());

        Main()->move(Main()->pos() + QPoint(-60, 25));
        QTRY_COMPARE(Main()->frameGeometry().topLeft(), main.topLeft() + QPoint(-60, 25));
        at = ShowAbout();
        QCOMPARE(at.topLeft(), Main()->frameGeometry().topLeft() + QPoint(50, 80));
    }

    void labelLooksBlueUnderlinedOverItAndBlackPlainOverThePicture()
    {
        QColor over;
        bool underlinedOver = false;
        QColor back;
        bool underlinedBack = true;
        ShowAbout([&] {
            // Moves through the window: a widget's move only warps the pointer.
            QTest::mouseMove(About()->windowHandle(), Web()->mapTo(About(), QPoint(70, 8)));
            QTRY_VERIFY(Web()->font().underline());
            over = Web()->palette().color(QPalette::WindowText);
            underlinedOver = Web()->font().underline();
            QTest::mouseMove(About()->windowHandle(), QPoint(30, 30));
            QTRY_VERIFY(!Web()->font().underline());
            back = Web()->palette().color(QPalette::WindowText);
            underlinedBack = Web()->font().underline();
        });
        QCOMPARE(over, QColor(0, 0, 255));
        QVERIFY(underlinedOver);
        QCOMPARE(back, QColor(0, 0, 0));
        QVERIFY(!underlinedBack);
    }

    void labelClickOpensTheAddressAndNoKeyClosesTheWindow()
    {
        bool openAfterClick = false;
        bool openAfterKeys = false;
        ShowAbout([&] {
            QTest::mouseClick(Web(), Qt::LeftButton, {}, QPoint(70, 8));
            openAfterClick = About()->isVisible();
            QTest::keyClick(About(), Qt::Key_Escape);
            QTest::keyClick(About(), Qt::Key_Return);
            openAfterKeys = About()->isVisible();
        });
        QCOMPARE(opened.size(), 1);
        QVERIFY(opened[0].isLocalFile());
        QVERIFY2(opened[0].path().endsWith("/share/doc/mendrix/README.md"), qPrintable(opened[0].toString()));
        QVERIFY(openAfterClick);
        QVERIFY(openAfterKeys);
        QVERIFY(!About()->isVisible());
    }
};

#include "AboutWindowTest.moc"

QObject* NewAboutWindowTest() { return new AboutWindowTest; }
