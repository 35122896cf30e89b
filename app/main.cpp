// mendrix: the desktop program. Sets the title, creates the main window and
// then the About window, runs the event loop until the main window has
// closed, and ends with exit code 0.
#include "app/DesktopForms.h"

#include "desktop/Association.h"
#include "platform/CommandLine.h"
#include "platform/Dispatch.h"
#include "platform/Services.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/QtServices.h"
#include "ui/Pictures.h"
#include "Version.h"

#include <QApplication>
#include <QFile>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    // Taken before the toolkit removes the options it knows: the program
    // has none, and its first argument is a patch path whatever it reads.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // Answered before the toolkit starts: it needs no display and opens no window.
    if (!arguments.empty() && arguments.front() == "--version") {
        std::puts("mendrix " MENDRIX_VERSION "\n" MENDRIX_LICENCE);
        return 0;
    }

    platform::qt::PrepareEnvironment();
    QApplication application(argc, argv);
    std::vector<std::span<const unsigned char>> pngs;
    std::vector<std::pair<int, std::string>> iconFiles;
    for (const ui::IconPng& icon : ui::ProgramIcons()) {
        pngs.push_back(icon.png);
        iconFiles.emplace_back(icon.size, std::string(icon.png.begin(), icon.png.end()));
    }
    platform::qt::SetUpApplication(platform::kTitle, pngs);
    platform::SetCommandLine(QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString(), arguments);
    desktop::SetAssociationIcons(std::move(iconFiles));

    platform::qt::QtServices services;
    services.associate = desktop::AssociateFileType;
    std::unique_ptr<app::DesktopForms> forms;
    const platform::Outcome created = platform::Dispatch([&] { forms = std::make_unique<app::DesktopForms>(); });
    if (created != platform::Outcome::Completed) return 1;  // its error box has been shown
    platform::qt::ShowTitleOn(forms->mainWindow.Widget());
    forms->mainWindow.ShowCentred();
    QApplication::exec();
    return 0;
}
