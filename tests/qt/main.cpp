// Runs the tests on the real widgets, offscreen. The first argument names
// one suite (MainWindow, AboutWindow, Services, ScrollBars, Scaling, Closing);
// without it all run but Closing, which ends the application's event loop
// for good. Scaling checks the scale the process runs at (QT_SCALE_FACTOR).
#include "platform/Services.h"
#include "platform/qt/QtApplication.h"
#include "tests/support/TempFiles.h"

#include <QApplication>
#include <QTest>

#include <cstring>
#include <memory>

QObject* NewMainWindowTest();
QObject* NewAboutWindowTest();
QObject* NewServicesTest();
QObject* NewScrollBarsTest();
QObject* NewClosingTest();
QObject* NewScalingTest();

// The home of the tests: empty, and a file of ours that lands in it (a
// setting, a dialog's history) is a fault.
std::filesystem::path TestHome;

int main(int argc, char** argv)
{
    const testsupport::TempDir home;
    TestHome = home.Path();
    qputenv("HOME", home.Path().c_str());
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME"}) qunsetenv(name);
    // Caches are the system's, not ours: fontconfig writes one whenever the
    // system's font cache is older than a font folder (as right after an install).
    const testsupport::TempDir cache;
    qputenv("XDG_CACHE_HOME", cache.Path().c_str());
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::qt::PrepareEnvironment();
    QApplication application(argc, argv);
    // Closing a window in one test must not end the event loops of the next.
    QApplication::setQuitOnLastWindowClosed(false);
    platform::qt::SetUpApplication(platform::kTitle, {});

    const struct {
        const char* name;
        QObject* (*make)();
        bool alone;
    } suites[] = {{"MainWindow", NewMainWindowTest, false},
                  {"AboutWindow", NewAboutWindowTest, false},
                  {"Services", NewServicesTest, false},
                  {"ScrollBars", NewScrollBarsTest, false},
                  {"Scaling", NewScalingTest, false},
                  {"Closing", NewClosingTest, true}};
    const char* only = argc > 1 ? argv[1] : nullptr;
    int failed = 0;
    for (const auto& suite : suites) {
        if (only != nullptr ? std::strcmp(only, suite.name) != 0 : suite.alone) continue;
        std::unique_ptr<QObject> test(suite.make());
        failed += QTest::qExec(test.get(), 1, argv);
    }
    return failed == 0 ? 0 : 1;
}
