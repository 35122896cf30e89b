// The About window on the real widgets: its design, its placement on the
// first and later showings, the label's look, the guide and closing.
#include "tests/qt/QtFixture.h"

#include "app/DesktopForms.h"
#include "platform/CommandLine.h"
#include "platform/qt/QtServices.h"

#include "tests/support/TempFiles.h"

#include <QDialog>
#include <QFontInfo>
#include <QLabel>
#include <QPlainTextEdit>

#include <filesystem>

#include <memory>

using namespace qttest;

class AboutWindowTest : public QObject {
    Q_OBJECT

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

private slots:
    void init()
    {
        platform::SetCommandLine("/opt/mendrix/bin/mendrix", {});
        services = std::make_unique<platform::qt::QtServices>();
        forms = std::make_unique<app::DesktopForms>();
        forms->mainWindow.ShowCentred();
        QVERIFY(QTest::qWaitForWindowExposed(Main()));
    }
    void cleanup()
    {
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

    void labelClickShowsTheGuideAsTextOrSaysWhyNot()
    {
        const testsupport::TempDir prefix;
        const std::filesystem::path guide = prefix.Path() / "share/doc/mendrix/README.md";
        std::filesystem::create_directories(guide.parent_path());
        // The program's folder and the guide both found from the program's path.
        platform::SetCommandLine((prefix.Path() / "bin/mendrix").string(), {});
        const QString missing = "Can't open the guide (No such file or directory) ...\n(" +
                                QString::fromStdString(guide.string()) + ")";
        const struct {
            const char* name;
            std::function<void()> lay;  // what lies at the guide's place
            QString shown;              // the viewer's text, or
            QString box;                // the error box's
        } cases[] = {
            {"the guide", [&] { testsupport::WriteFile(guide.string(), {'#', ' ', 'G', 'u', 'i', 'd', 'e', '\n'}); },
             "# Guide\n", {}},
            {"nothing", [&] { std::filesystem::remove(guide); }, {}, missing},
            {"a folder", [&] { std::filesystem::create_directory(guide); }, {},
             "Can't open the guide (Is a directory) ...\n(" + QString::fromStdString(guide.string()) + ")"},
        };
        for (const auto& c : cases) {
            c.lay();
            QString shown;
            QString title;
            bool stayed = false;
            BoxAnswerer boxes([](const SeenBox&) { return QString("OK"); });
            ShowAbout([&] {
                // The viewer comes modal above the About window.
                if (!c.shown.isEmpty())
                    WhenReady([] { return QApplication::activeModalWidget()->findChild<QPlainTextEdit*>("document"); },
                              [&] {
                                  auto* viewer = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                                  title = viewer->windowTitle();
                                  shown = viewer->findChild<QPlainTextEdit*>("document")->toPlainText();
                                  viewer->reject();
                              });
                QTest::mouseClick(Web(), Qt::LeftButton, {}, QPoint(70, 8));
                stayed = About()->isVisible();
            });
            QVERIFY2(stayed, c.name);
            QCOMPARE(shown, c.shown);
            QCOMPARE(title, c.shown.isEmpty() ? QString() : QString("README.md"));
            if (c.box.isEmpty()) {
                QVERIFY2(boxes.seen.empty(), c.name);
            } else {
                QCOMPARE(boxes.seen.size(), std::size_t{1});
                QCOMPARE(boxes.seen[0].text, c.box);
                QCOMPARE(boxes.seen[0].caption, QString("Error"));
                QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
            }
        }
        std::filesystem::remove(guide);
    }

    void noKeyClosesTheWindow()
    {
        bool openAfterKeys = false;
        ShowAbout([&] {
            QTest::keyClick(About(), Qt::Key_Escape);
            QTest::keyClick(About(), Qt::Key_Return);
            openAfterKeys = About()->isVisible();
        });
        QVERIFY(openAfterKeys);
        QVERIFY(!About()->isVisible());
    }
};

#include "AboutWindowTest.moc"

QObject* NewAboutWindowTest() { return new AboutWindowTest; }
