// The Qt backend's services: message boxes, the shared open-file dialog,
// the throttled pump and the busy cursor.
#include "tests/qt/QtFixture.h"

#include "platform/qt/FileFilter.h"
#include "platform/qt/QtServices.h"
#include "tests/support/TempFiles.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>

#include <filesystem>
#include <memory>

extern std::filesystem::path TestHome;

using namespace qttest;
using platform::ModalResult;
using platform::MsgDlgButtons;
using platform::MsgDlgType;

// The file dialog on screen. Found among the top-level windows rather than
// as the active modal one: on a busy machine activation can come late.
QFileDialog* ShownFileDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QFileDialog*>(w); dialog != nullptr && dialog->isVisible()) return dialog;
    return nullptr;
}

class ServicesTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<platform::qt::QtServices> services;

private slots:
    void init() { services = std::make_unique<platform::qt::QtServices>(); }
    void cleanup() { services.reset(); }

    void boxesShowTheirKindsCaptionIconAndButtons()
    {
        const struct {
            MsgDlgType type;
            const char* caption;
            QMessageBox::Icon icon;
        } kinds[] = {
            {MsgDlgType::mtWarning, "Warning", QMessageBox::Warning},
            {MsgDlgType::mtError, "Error", QMessageBox::Critical},
            {MsgDlgType::mtInformation, "Information", QMessageBox::Information},
            {MsgDlgType::mtConfirmation, "Confirm", QMessageBox::Question},
        };
        BoxAnswerer boxes([](const SeenBox&) { return QString("OK"); });
        for (const auto& kind : kinds)
            QCOMPARE(services->MessageDlg("a\rb\r\nc", kind.type, MsgDlgButtons::mbOK), ModalResult::mrOk);
        QCOMPARE(boxes.seen.size(), std::size_t{4});
        for (std::size_t i = 0; i < 4; ++i) {
            QCOMPARE(boxes.seen[i].caption, QString(kinds[i].caption));
            QCOMPARE(boxes.seen[i].icon, kinds[i].icon);
            QCOMPARE(boxes.seen[i].buttons, QStringList({"OK"}));
            QCOMPARE(boxes.seen[i].text, QString("a\nb\nc"));
        }
        services->ShowGeneralError("Failed to create key x.");
        QCOMPARE(boxes.seen.back().caption, QString("::[ MENDRIX v3.0 ]::"));
        QCOMPARE(boxes.seen.back().icon, QMessageBox::Critical);
    }

    void questionsAnswerYesNoAndNothingWhenClosed()
    {
        std::vector<QString> presses = {"&Yes", "&No", "(close)"};
        std::size_t next = 0;
        BoxAnswerer boxes([&](const SeenBox&) { return presses[next++]; });
        QCOMPARE(services->MessageDlg("q", MsgDlgType::mtWarning, MsgDlgButtons::mbYesNo), ModalResult::mrYes);
        QCOMPARE(services->MessageDlg("q", MsgDlgType::mtWarning, MsgDlgButtons::mbYesNo), ModalResult::mrNo);
        QCOMPARE(services->MessageDlg("q", MsgDlgType::mtWarning, MsgDlgButtons::mbYesNo), ModalResult::mrNone);
        QCOMPARE(boxes.seen[0].buttons, QStringList({"&Yes", "&No"}));
    }

    void escapeAnswersNo()
    {
        WhenReady([] { return QApplication::activeModalWidget() != nullptr; },
                  [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
        QCOMPARE(services->MessageDlg("q", MsgDlgType::mtConfirmation, MsgDlgButtons::mbYesNo), ModalResult::mrNo);
    }

    void filtersBecomeToolkitEntriesThatIgnoreCase()
    {
        const QStringList filters =
            platform::qt::ToQtNameFilters("CD Images|*.bin;*.C2D;*.p01|All Files (*.*)|*.*");
        QCOMPARE(filters, QStringList({"CD Images (*.[bB][iI][nN] *.[cC]2[dD] *.[pP]01)", "All Files (*.*) (*)"}));
        const auto matches = [](const char* pattern, const char* name) {
            return QRegularExpression::fromWildcard(QString(pattern)).match(name).hasMatch();
        };
        QVERIFY(matches("*.[bB][iI][nN]", "GAME.BIN"));
        QVERIFY(matches("*.[cC]2[dD]", "disc.c2d"));
        QVERIFY(!matches("*.[bB][iI][nN]", "disc.cue"));
        QVERIFY(matches("*", "README"));
    }

    void theDialogKeepsTheFilterEntryLastConfirmed()
    {
        testsupport::TempDir dir;
        const std::string image = dir.File("disc.raw");
        testsupport::WriteFile(image, testsupport::Bytes(4, 0));
        const QString path = QString::fromStdString(image);

        // Confirm a file with the second entry of the image filter.
        QStringList shownFilters;
        QString title;
        WhenReady([] { return ShownFileDialog() != nullptr; },
                  [&] {
                      auto* dialog = ShownFileDialog();
                      title = dialog->windowTitle();
                      for (int i = 0; i < dialog->findChild<QComboBox*>("fileTypeCombo")->count(); ++i)
                          shownFilters += dialog->findChild<QComboBox*>("fileTypeCombo")->itemText(i);
                      dialog->selectNameFilter(dialog->nameFilters()[1]);
                      // Typed in full into the name box, then Open. Not selectFile(): it leaves
                      // the box alone once the box has the focus, and the dialog may clear the
                      // name when it has read the folder; so type and ask again until it closes.
                      auto* retry = new QTimer;
                      const QPointer<QFileDialog> shown(dialog);
                      QObject::connect(retry, &QTimer::timeout, [retry, shown, path] {
                          if (shown.isNull() || !shown->isVisible()) {
                              retry->stop();
                              retry->deleteLater();
                              return;
                          }
                          shown->findChild<QLineEdit*>("fileNameEdit")->setText(path);
                          static_cast<QDialog*>(shown.data())->accept();
                      });
                      retry->start(10);
                  });
        auto chosen = services->OpenFileDialog("Open CD-Image...", "CD Images|*.bin;*.iso|All Files (*.*)|*.*");
        QVERIFY(chosen.has_value());
        QCOMPARE(QString::fromStdString(*chosen), path);
        QCOMPARE(title, QString("Open CD-Image..."));
        QCOMPARE(shownFilters, QStringList({"CD Images", "All Files (*.*)"}));

        // The other browse button's dialog opens on its second entry; cancel it.
        QString selected;
        WhenReady([] { return ShownFileDialog() != nullptr; },
                  [&] {
                      auto* dialog = ShownFileDialog();
                      selected = dialog->selectedNameFilter();
                      dialog->selectNameFilter(dialog->nameFilters()[0]);
                      dialog->reject();
                  });
        QVERIFY(!services->OpenFileDialog("Open KDX-File", "KDX-Files (*.kdx)|*.kdx|All Files (*.*)|*.*"));
        QCOMPARE(selected, QString("All Files (*.*)"));

        // The cancel did not change the entry kept.
        WhenReady([] { return ShownFileDialog() != nullptr; },
                  [&] {
                      auto* dialog = ShownFileDialog();
                      selected = dialog->selectedNameFilter();
                      dialog->reject();
                  });
        QVERIFY(!services->OpenFileDialog("Open KDX-File", "KDX-Files (*.kdx)|*.kdx|All Files (*.*)|*.*"));
        QCOMPARE(selected, QString("All Files (*.*)"));
    }

    void aTypedNameLeavesNothingBehindAndTheNextDialogStartsEmpty()
    {
        testsupport::TempDir dir;
        const std::string patch = dir.File("fix.kdx");
        testsupport::WriteFile(patch, testsupport::Bytes(8, 0));
        const auto dialog = [] { return ShownFileDialog(); };
        const auto nameEdit = [&] { return dialog()->findChild<QLineEdit*>("fileNameEdit"); };

        // Type the start of the name, wait for the completion list, then
        // type the rest and press Enter, as a user does.
        WhenReady([&] { return dialog() != nullptr; },
                  [&] {
                      dialog()->setDirectory(QString::fromStdString(dir.Path().string()));
                      // Typed again until the folder has been read and the list comes up.
                      WhenReady(
                          [&] {
                              if (nameEdit()->completer()->popup()->isVisible()) return true;
                              nameEdit()->clear();
                              QTest::keyClicks(nameEdit(), "fi");
                              return false;
                          },
                                [&] {
                                    QWidget* popup = nameEdit()->completer()->popup();
                                    QTest::keyClicks(popup, "x.kdx");
                                    QTest::keyClick(popup, Qt::Key_Return);
                                    if (dialog() != nullptr) QTest::keyClick(nameEdit(), Qt::Key_Return);
                                });
                  });
        const auto chosen = services->OpenFileDialog("Open KDX-File", "KDX-Files (*.kdx)|*.kdx|All Files (*.*)|*.*");
        QCOMPARE(QString::fromStdString(chosen.value_or("")), QString::fromStdString(patch));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        for (const QWidget* window : QApplication::topLevelWidgets())
            QVERIFY2(!window->isVisible(), qPrintable(window->metaObject()->className()));

        // The other browse button's dialog: same folder, no file name.
        QString name = "unset";
        QString folder;
        WhenReady([&] { return dialog() != nullptr; },
                  [&] {
                      name = nameEdit()->text();
                      folder = dialog()->directory().absolutePath();
                      dialog()->reject();
                  });
        QVERIFY(!services->OpenFileDialog("Open CD-Image...", "CD Images|*.bin|All Files (*.*)|*.*"));
        QCOMPARE(name, QString());
        QCOMPARE(folder, QString::fromStdString(dir.Path().string()));

        // The dialog's history is not kept anywhere: no settings file in the home.
        QStringList written;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(TestHome))
            if (!entry.is_directory()) written << QString::fromStdString(entry.path().string());
        QCOMPARE(written, QStringList());
    }

    void thePumpProcessesEventsOnlyEveryFewHundredCalls()
    {
        bool ran = false;
        QTimer::singleShot(0, [&ran] { ran = true; });
        for (int i = 0; i < 255; ++i) services->ProcessMessages();
        QVERIFY(!ran);
        services->ProcessMessages();
        QVERIFY(ran);
    }

    void theBusyCursorIsTheToolkitsWaitCursor()
    {
        services->SetScreenCursor(platform::crHourGlass);
        QVERIFY(QApplication::overrideCursor() != nullptr);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QCOMPARE(services->ScreenCursor(), platform::crHourGlass);
        services->SetScreenCursor(platform::crDefault);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }
};

#include "ServicesTest.moc"

QObject* NewServicesTest() { return new ServicesTest; }
