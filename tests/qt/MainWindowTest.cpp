// The main window on the real widgets: its design, hints, drops, the
// context menu and one whole Apply with the boxes answered.
#include "tests/qt/QtFixture.h"

#include "app/DesktopForms.h"
#include "desktop/Association.h"
#include "platform/CommandLine.h"
#include "platform/qt/QtServices.h"
#include "tests/support/PatchBuilder.h"
#include "tests/support/TempFiles.h"

#include <QCheckBox>
#include <QDropEvent>
#include <QFontInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>

#include <memory>

using namespace qttest;
using testsupport::Bytes;

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    // Creates both windows with the given arguments and shows the main one.
    void Start(std::vector<std::string> arguments = {})
    {
        platform::SetCommandLine("/opt/mendrix/bin/mendrix", std::move(arguments));
        services = std::make_unique<platform::qt::QtServices>();
        services->associate = desktop::AssociateFileType;
        forms = std::make_unique<app::DesktopForms>();
        forms->mainWindow.ShowCentred();
        QVERIFY(QTest::qWaitForWindowExposed(Main()));
        QCoreApplication::processEvents();  // the queued first showing
    }
    QWidget* Main() const { return forms->mainWindow.Widget(); }
    template <typename W = QWidget>
    W* Control(const char* name) const
    {
        return qobject_cast<W*>(forms->mainWindow.WidgetOf(name));
    }
    std::string Patch(const testsupport::PatchLayout& layout, const std::string& name)
    {
        const std::string path = dir->File(name);
        testsupport::WriteFile(path, testsupport::BuildPatch(layout));
        return path;
    }
    void Drop(const std::vector<std::string>& paths)
    {
        QMimeData mime;
        QList<QUrl> urls;
        for (const std::string& path : paths) urls += QUrl::fromLocalFile(Q(path));
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(200, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Main(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(200, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Main(), &drop);
    }

    std::unique_ptr<testsupport::TempDir> dir;
    std::unique_ptr<platform::qt::QtServices> services;
    std::unique_ptr<app::DesktopForms> forms;

private slots:
    void init() { dir = std::make_unique<testsupport::TempDir>(); }
    void cleanup()
    {
        forms.reset();
        services.reset();
        dir.reset();
    }

    void windowHasTheDesignedFrameSizeAndLook()
    {
        Start();
        QCOMPARE(Main()->size(), QSize(410, 345));
        QCOMPARE(Main()->minimumSize(), QSize(410, 345));
        QCOMPARE(Main()->maximumSize(), QSize(410, 345));
        const Qt::WindowFlags flags = Main()->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(Main()->windowTitle().endsWith("(MENDRIX v3.0)"));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        // The outer frame stands centred, not the client area.
        const QRect frame = Main()->frameGeometry();
        QVERIFY(frame.size() != QSize(410, 345));
        QCOMPARE(frame.topLeft(), QPoint((screen.width() - frame.width()) / 2, (screen.height() - frame.height()) / 2));
        QVERIFY(Main()->autoFillBackground());
        QCOMPARE(Main()->palette().color(QPalette::Window), Main()->palette().color(QPalette::Button));
        QCOMPARE(Main()->font().family(), QString("MS Sans Serif"));
        QCOMPARE(Main()->font().pixelSize(), 11);
        QCOMPARE(QFontInfo(Main()->font()).family(), QString("Liberation Sans"));
    }

    void controlsLieWhereTheDesignPutsThem()
    {
        Start();
        const struct {
            const char* name;
            QRect rect;
        } table[] = {
            {"infMemo", {0, 180, 410, 165}},   {"edtKDX", {112, 89, 241, 21}},   {"edtImage", {112, 48, 241, 21}},
            {"bgImage", {0, 0, 410, 180}},     {"btnApply", {15, 126, 127, 25}}, {"btnKDX", {358, 89, 23, 22}},
            {"btnImage", {358, 48, 23, 22}},   {"btnAbout", {150, 126, 112, 25}}, {"btnClose", {270, 126, 122, 25}},
            {"cbUndo", {15, 159, 157, 17}},
        };
        for (const auto& row : table) {
            QWidget* widget = Control(row.name);
            QVERIFY2(widget != nullptr, row.name);
            QCOMPARE(widget->geometry(), row.rect);
            QVERIFY2(widget->isVisible(), row.name);
        }
        // The edits lie above the picture although it is declared after them.
        QWidget* overEdit = Main()->childAt(120, 55);
        QVERIFY(overEdit == Control("edtImage") || Control("edtImage")->isAncestorOf(overEdit));
    }

    void controlsHaveTheirDesignedProperties()
    {
        Start();
        const QColor grey(191, 191, 191);
        auto* memo = Control<QPlainTextEdit>("infMemo");
        QVERIFY(memo->isReadOnly());
        QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(memo->palette().color(QPalette::Base), grey);
        QCOMPARE(memo->font().family(), QString("Courier New"));
        const QFontInfo memoFont(memo->font());
        QCOMPARE(memoFont.pixelSize(), 11);
        QVERIFY(memoFont.bold());
        QVERIFY(memoFont.fixedPitch());
        QCOMPARE(memoFont.family(), QString("Liberation Mono"));

        QVERIFY(Control<QLineEdit>("edtImage")->isReadOnly());
        QVERIFY(Control<QLineEdit>("edtKDX")->isReadOnly());

        auto* undo = Control<QCheckBox>("cbUndo");
        QCOMPARE(undo->text(), QString("Apply Undo-Patch-Data"));
        QVERIFY(!undo->isEnabled());
        QVERIFY(!undo->isChecked());
        QVERIFY(undo->autoFillBackground());
        QCOMPARE(undo->palette().color(undo->backgroundRole()), grey);
        QCOMPARE(undo->font().family(), QString("Verdana"));
        QCOMPARE(QFontInfo(undo->font()).pixelSize(), 11);

        for (const char* name : {"btnApply", "btnKDX", "btnImage", "btnAbout", "btnClose"}) {
            auto* button = Control<QAbstractButton>(name);
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
            QVERIFY(button->text().isEmpty());
            QVERIFY(button->icon().isNull());
        }
    }

    void theDisabledUndoCaptionReadsAsDisabledYetStandsOut()
    {
        Start();
        auto* undo = Control<QCheckBox>("cbUndo");
        QVERIFY(!undo->isEnabled());
        // The caption lies right of the box's square; its darkest pixel
        // against the face's grey 191.
        const QImage shot = undo->grab().toImage();
        int darkest = 255;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 20; x < shot.width(); ++x) darkest = std::min(darkest, qGray(shot.pixel(x, y)));
        QVERIFY2(darkest <= 150, qPrintable(QString::number(darkest)));  // readable
        QVERIFY2(darkest >= 100, qPrintable(QString::number(darkest)));  // not the enabled black
    }

    void hintsAreTooltips()
    {
        Start();
        const struct {
            const char* name;
            const char* hint;
        } hints[] = {
            {"infMemo", "KDX Information"},
            {"btnApply", "Apply KDX-File"},
            {"btnKDX", "Load KDX-File"},
            {"btnImage", "Load CD-Image File"},
            {"btnAbout", "About MENDRIX v3.0"},
            {"btnClose", "Quit program"},
            {"cbUndo", "Apply Undo-Data, to get the un-patched CD-Image"},
        };
        for (const auto& row : hints) QCOMPARE(Control(row.name)->toolTip(), QString(row.hint));
        QVERIFY(Control("edtImage")->toolTip().isEmpty());
    }

    void focusStartsInTheMemoAndTabFollowsTheDesignOrder()
    {
        Start();
        forms->mainWindow.CheckBoxOf("cbUndo").SetEnabled(true);
        QApplication::setActiveWindow(Main());
        QVERIFY(QTest::qWaitForWindowActive(Main()));
        QCOMPARE(QApplication::focusWidget(), Control("infMemo"));
        QStringList order;
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order += QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order, QStringList({"edtKDX", "edtImage", "cbUndo", "infMemo"}));
    }

    void flatButtonsShowARaisedFrameOnHoverAndASunkenOneWhenPressed()
    {
        Start();
        auto* button = Control<QAbstractButton>("btnApply");
        const QImage picture = Main()->grab(QRect(15, 126, 127, 25)).toImage();
        const QImage& face = static_cast<platform::qt::PictureBox*>(Control("bgImage"))->Image();
        QCOMPARE(picture.pixelColor(0, 0).rgb(), face.pixelColor(15, 126).rgb());  // transparent at rest

        QTest::mouseMove(button, QPoint(60, 12));
        QTRY_VERIFY(button->underMouse());
        QImage hovered = Main()->grab(QRect(15, 126, 127, 25)).toImage();
        QCOMPARE(hovered.pixelColor(0, 0).rgb(), button->palette().color(QPalette::Light).rgb());
        QCOMPARE(hovered.pixelColor(126, 24).rgb(), button->palette().color(QPalette::Dark).rgb());

        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(60, 12));
        QImage pressed = Main()->grab(QRect(15, 126, 127, 25)).toImage();
        QCOMPARE(pressed.pixelColor(0, 0).rgb(), button->palette().color(QPalette::Dark).rgb());
        QCOMPARE(pressed.pixelColor(126, 24).rgb(), button->palette().color(QPalette::Light).rgb());

        // The click reaches the Apply command, which finds no image chosen.
        BoxAnswerer boxes([](const SeenBox&) { return QString("OK"); });
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(60, 12));
        QCOMPARE(boxes.seen.size(), std::size_t{1});
        QCOMPARE(boxes.seen[0].text, QString("you should select an image file, donkey"));
        QCOMPARE(boxes.seen[0].caption, QString("Warning"));
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Warning);
        QCOMPARE(boxes.seen[0].buttons, QStringList({"OK"}));
    }

    void droppedFilesAreSortedByTheLastName()
    {
        Start();
        const std::string patch = Patch({}, "fix.KDX");
        const std::string image = dir->File("GAME.BIN");
        Drop({patch, image});
        QTRY_COMPARE(Control<QLineEdit>("edtImage")->text(), Q(image));
        QCOMPARE(Control<QLineEdit>("edtKDX")->text(), QString());

        Drop({image, patch});
        QTRY_COMPARE(Control<QLineEdit>("edtKDX")->text(), Q(patch));
        QVERIFY(Control<QPlainTextEdit>("infMemo")->toPlainText().startsWith("Filename       : " + Q(patch)));

        QMimeData text;
        text.setText("not a file");
        QDragEnterEvent enter(QPoint(200, 100), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Main(), &enter);
        QVERIFY(!enter.isAccepted());
    }

    void firstShowingLoadsTheArgumentAndTheMemoDecodesWindows1252()
    {
        testsupport::PatchLayout layout;
        layout.version = 3;
        layout.description = "Caf\xE9 patch";
        layout.records = {{0, {1}, {}}};
        layout.diz = std::string("line one\r\nline two\0hidden", 25);
        Start({Patch(layout, "fix.kdx")});
        QTRY_COMPARE(Control<QLineEdit>("edtKDX")->text(), Q(dir->File("fix.kdx")));
        const QStringList lines = Control<QPlainTextEdit>("infMemo")->toPlainText().split('\n');
        QVERIFY(lines.contains("Description    : Caf\u00E9 patch"));
        QVERIFY(lines.contains("line one"));
        QVERIFY(lines.contains("line two"));
        QVERIFY(!Control<QPlainTextEdit>("infMemo")->toPlainText().contains("hidden"));
    }

    void withoutAnArgumentTheWindowStartsEmpty()
    {
        BoxAnswerer boxes([](const SeenBox&) { return QString("OK"); });
        Start();
        QTest::qWait(50);
        QVERIFY(boxes.seen.empty());
        QCOMPARE(Control<QLineEdit>("edtKDX")->text(), QString());
        QVERIFY(Control<QPlainTextEdit>("infMemo")->toPlainText().isEmpty());
    }

    void oneWholeApplyWithBothQuestionsAnsweredYes()
    {
        testsupport::PatchLayout layout;
        layout.version = 2;
        layout.imageSize = 12345;  // not the image's size
        layout.block = testsupport::Noise(1024, 7);  // not the image's block
        layout.records = {{10, {0xDE, 0xAD}, {}}, {100, {0xBE, 0xEF}, {}}};
        const std::string patch = Patch(layout, "fix.kdx");
        const std::string image = dir->File("disc.bin");
        testsupport::WriteFile(image, Bytes(64 * 1024, 0));
        Start({patch});
        QTRY_COMPARE(Control<QLineEdit>("edtKDX")->text(), Q(patch));
        Drop({image});
        QTRY_COMPARE(Control<QLineEdit>("edtImage")->text(), Q(image));

        BoxAnswerer boxes([](const SeenBox& box) { return box.buttons.contains("&Yes") ? "&Yes" : "OK"; });
        QTest::mouseClick(Control("btnApply"), Qt::LeftButton, {}, QPoint(60, 12));
        QCOMPARE(boxes.seen.size(), std::size_t{3});
        QCOMPARE(boxes.seen[0].text, QString("The size of the image file is incorrect, continue ?"));
        QCOMPARE(boxes.seen[1].text, QString("Binblock/Patchvalidation failed. Continue ?"));
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(boxes.seen[i].caption, QString("Warning"));
            QCOMPARE(boxes.seen[i].buttons, QStringList({"&Yes", "&No"}));
            QVERIFY(boxes.seen[i].waitCursor);
        }
        QCOMPARE(boxes.seen[2].text, QString("Patch successfully applied, burn image to CD now!"));
        QCOMPARE(boxes.seen[2].caption, QString("Information"));
        QCOMPARE(boxes.seen[2].icon, QMessageBox::Information);
        QVERIFY(!boxes.seen[2].waitCursor);

        const Bytes written = testsupport::ReadFile(image);
        QCOMPARE(written[10], std::uint8_t{0xDE});
        QCOMPARE(written[101], std::uint8_t{0xEF});
        QCOMPARE(Main()->windowTitle(), QString("::[: MENDRIX v3.0 :]::"));
        QVERIFY(Control<QLineEdit>("edtImage")->text().isEmpty());
        QVERIFY(Control<QLineEdit>("edtKDX")->text().isEmpty());
        QVERIFY(Control<QPlainTextEdit>("infMemo")->toPlainText().isEmpty());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(!forms->frmMain.Patching());
    }

    void contextMenuOffersTheAssociationEntry()
    {
        Environment env;
        env.Set("XDG_DATA_HOME", dir->File("data"));
        env.Set("XDG_CONFIG_HOME", dir->File("config"));
        Start();
        BoxAnswerer boxes([](const SeenBox&) { return QString("OK"); });
        QStringList offered;
        WhenReady([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; },
                  [&offered] {
                      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                      for (QAction* action : menu->actions()) {
                          offered += action->text();
                          if (action->text() == "&Associate 'kdx' files") menu->setActiveAction(action);
                      }
                      QTest::keyClick(menu, Qt::Key_Return);
                  });
        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(200, 20), Main()->mapToGlobal(QPoint(200, 20)));
        QApplication::sendEvent(Main(), &request);
        QCOMPARE(offered, QStringList({"&Associate 'kdx' files"}));
        QCOMPARE(boxes.seen.size(), std::size_t{1});
        QCOMPARE(boxes.seen[0].text, QString("Associated 'kdx' filetypes with mendrix v3.0"));
        QVERIFY(QFile::exists(Q(dir->File("data/applications/mendrix.desktop"))));
    }

    void theMemosOwnMenuCarriesTheEntryToo()
    {
        Start();
        QStringList offered;
        WhenReady([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; },
                  [&offered] {
                      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                      for (QAction* action : menu->actions()) offered += action->text();
                      menu->close();
                  });
        auto* memo = Control<QPlainTextEdit>("infMemo");
        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(20, 20), memo->viewport()->mapToGlobal(QPoint(20, 20)));
        QApplication::sendEvent(memo->viewport(), &request);
        QVERIFY(offered.size() > 1);
        QCOMPARE(offered.last(), QString("&Associate 'kdx' files"));
    }
};

#include "MainWindowTest.moc"

QObject* NewMainWindowTest() { return new MainWindowTest; }
