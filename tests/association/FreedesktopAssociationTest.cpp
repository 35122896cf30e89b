// The association in freedesktop folders, checked with the desktop's own
// tools, in temporary folders only: HOME and the XDG variables point there
// for this process and the tools it starts.
#include "desktop/Association.h"
#include "desktop/FreedesktopAssociation.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using testsupport::TempDir;

namespace {

std::string Slurp(const fs::path& path)
{
    const auto bytes = testsupport::ReadFile(path.string());
    return std::string(bytes.begin(), bytes.end());
}

void Spill(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    testsupport::WriteFile(path.string(), testsupport::Bytes(text.begin(), text.end()));
}

std::string Tool(const std::string& name)
{
    for (const char* folder : {"/usr/bin/", "/bin/", "/usr/local/bin/"})
        if (access((folder + name).c_str(), X_OK) == 0) return folder + name;
    throw std::runtime_error(name + " is missing: run scripts/install-deps");
}

testsupport::RunResult RunTool(const std::string& name, const std::vector<std::string>& args)
{
    return testsupport::Run(Tool(name), args);
}

// Sets environment variables for the test's life and puts the old values back.
class Environment {
public:
    void Set(const char* name, const std::optional<std::string>& value)
    {
        const char* old = std::getenv(name);
        saved_.emplace(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value) setenv(name, value->c_str(), 1);
        else unsetenv(name);
    }
    ~Environment()
    {
        for (const auto& [name, value] : saved_) {
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

class Freedesktop : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(home);
        env.Set("HOME", home.string());
        env.Set("XDG_DATA_HOME", data.string());
        env.Set("XDG_CONFIG_HOME", config.string());
        // xdg-mime then asks GLib's reader of the shared MIME database, not file(1)'s magic.
        env.Set("XDG_CURRENT_DESKTOP", "GNOME");
        env.Set("GIO_USE_VFS", "local");
        desktop::SetAssociationIcons({{16, "png of 16"}, {48, "png of 48"}});
    }

    std::string Associate(const std::string& program)
    {
        try {
            desktop::AssociateFileType("kdx", program);
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "";
    }

    // A program at the path that writes its arguments, one a line, to the file "ran".
    void MakeProgram(const fs::path& path)
    {
        fs::create_directories(path.parent_path());
        Spill(path, "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" + dir.File("ran.tmp") + "'\nmv '" +
                        dir.File("ran.tmp") + "' '" + dir.File("ran") + "'\n");
        fs::permissions(path, fs::perms::owner_all);
    }

    TempDir dir;
    fs::path home = dir.Path() / "home";
    fs::path data = dir.Path() / "data";
    fs::path config = dir.Path() / "config";
    fs::path entry = data / "applications" / "mendrix.desktop";
    Environment env;
};

TEST_F(Freedesktop, DesktopToolsSeeTheTypeItsDefaultAndAValidEntry)
{
    const fs::path program = dir.Path() / "MENDRIX tools" / "mendrix";
    ASSERT_EQ(Associate(program.string()), "");

    const fs::path patch = dir.Path() / "some.kdx";
    Spill(patch, "KDX10\x02");
    Spill(dir.Path() / "LOUD.KDX", "KDX10\x02");
    EXPECT_EQ(RunTool("xdg-mime", {"query", "filetype", patch.string()}).out, "application/x-kdx-patch\n");
    EXPECT_EQ(RunTool("xdg-mime", {"query", "filetype", dir.File("LOUD.KDX")}).out, "application/x-kdx-patch\n");
    EXPECT_EQ(RunTool("xdg-mime", {"query", "default", "application/x-kdx-patch"}).out, "mendrix.desktop\n");

    const auto valid = RunTool("desktop-file-validate", {entry.string()});
    EXPECT_EQ(valid.status, 0);
    EXPECT_EQ(valid.out + valid.err, "");
    EXPECT_NE(Slurp(entry).find("\nExec=\"" + program.string() + "\" %f\n"), std::string::npos);

    EXPECT_EQ(Slurp(data / "icons/hicolor/16x16/apps/mendrix.png"), "png of 16");
    EXPECT_EQ(Slurp(data / "icons/hicolor/48x48/apps/mendrix.png"), "png of 48");
    EXPECT_NE(Slurp(data / "applications/mimeinfo.cache").find("application/x-kdx-patch=mendrix.desktop;"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(home / ".local"));
    EXPECT_FALSE(fs::exists(home / ".config"));
}

TEST_F(Freedesktop, LaunchingTheEntryStartsTheProgramWithThePatch)
{
    // Blanks and every character the quoting escapes. ("%" is left out: GLib
    // looks for the program before it undoes "%%".)
    const fs::path program = dir.Path() / "my $HOME \"quoted\" `cmd` back\\slash" / "mendrix";
    MakeProgram(program);
    ASSERT_EQ(Associate(program.string()), "");
    EXPECT_EQ(RunTool("desktop-file-validate", {entry.string()}).status, 0);

    const std::string patch = dir.File("a patch.kdx");
    const auto launch = RunTool("gio", {"launch", entry.string(), patch});
    ASSERT_EQ(launch.status, 0) << launch.err;
    for (int i = 0; i < 200 && !fs::exists(dir.File("ran")); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(Slurp(dir.File("ran")), patch + "\n");
}

TEST_F(Freedesktop, RepeatingRewritesTheSameContent)
{
    Spill(config / "mimeapps.list", "[Default Applications]\ntext/plain=gedit.desktop;\n");
    ASSERT_EQ(Associate("/opt/mendrix"), "");
    std::map<fs::path, std::string> first;
    for (const auto& file : fs::recursive_directory_iterator(dir.Path()))
        if (file.is_regular_file()) first[file.path()] = Slurp(file.path());

    ASSERT_EQ(Associate("/opt/mendrix"), "");
    for (const auto& [path, content] : first) EXPECT_EQ(Slurp(path), content) << path;
    EXPECT_EQ(Slurp(config / "mimeapps.list"),
              "[Default Applications]\ntext/plain=gedit.desktop;\napplication/x-kdx-patch=mendrix.desktop;\n");
}

TEST_F(Freedesktop, FoldersDefaultToTheHomeWhenTheVariablesAreUnsetOrRelative)
{
    env.Set("XDG_DATA_HOME", std::nullopt);
    env.Set("XDG_CONFIG_HOME", "relative/config");
    ASSERT_EQ(Associate("/opt/mendrix"), "");
    EXPECT_TRUE(fs::exists(home / ".local/share/applications/mendrix.desktop"));
    EXPECT_TRUE(fs::exists(home / ".local/share/mime/packages/mendrix-kdx.xml"));
    EXPECT_TRUE(fs::exists(home / ".config/mimeapps.list"));
    EXPECT_FALSE(fs::exists(data));
}

TEST_F(Freedesktop, WithoutTheToolsTheFilesAreWrittenAllTheSame)
{
    const fs::path empty = dir.Path() / "no tools";
    fs::create_directories(empty);
    env.Set("PATH", empty.string());
    ASSERT_EQ(Associate("/opt/mendrix"), "");
    EXPECT_TRUE(fs::exists(entry));
    EXPECT_TRUE(fs::exists(config / "mimeapps.list"));
    EXPECT_FALSE(fs::exists(data / "mime/mime.cache"));
}

// A file where a folder must be, a folder where a file must be: refused even for root.
TEST_F(Freedesktop, WhatCannotBeMadeEndsItKeepingWhatWasThere)
{
    const std::string list = "[Default Applications]\ntext/plain=gedit.desktop;\n";
    {
        Spill(config / "mimeapps.list", list);
        fs::create_directories(data);
        Spill(data / "applications", "in the way");
        EXPECT_EQ(Associate("/opt/mendrix"), "Can't create " + (data / "applications").string() + " (Not a directory)");
        EXPECT_TRUE(fs::exists(data / "mime/packages/mendrix-kdx.xml"));  // written before stays
        EXPECT_EQ(Slurp(config / "mimeapps.list"), list);
        EXPECT_FALSE(fs::exists(data / "mime/mime.cache"));  // no notice
        fs::remove(data / "applications");
    }
    {
        // Under the home folder the path reads as the user knows it.
        const fs::path share = home / ".local/share";
        env.Set("XDG_DATA_HOME", share.string());
        fs::create_directories(share);
        Spill(share / "applications", "in the way");
        EXPECT_EQ(Associate("/opt/mendrix"), "Can't create ~/.local/share/applications (Not a directory)");
        env.Set("XDG_DATA_HOME", data.string());
    }
    {
        fs::remove(config / "mimeapps.list");
        fs::create_directories(config / "mimeapps.list");
        EXPECT_EQ(Associate("/opt/mendrix"), "Can't read " + (config / "mimeapps.list").string() + " (Is a directory)");
        EXPECT_TRUE(fs::exists(entry));
        EXPECT_FALSE(fs::exists(data / "mime/mime.cache"));
        EXPECT_EQ(std::distance(fs::directory_iterator(config), fs::directory_iterator()), 1);  // no temporary left
    }
}

TEST_F(Freedesktop, ReadOnlyFolderEndsItKeepingTheOldFile)
{
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders; the cases above cover root";
    const std::string list = "[Default Applications]\ntext/plain=gedit.desktop;\n";
    Spill(config / "mimeapps.list", list);
    fs::permissions(config, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(Associate("/opt/mendrix"), "Can't write " + (config / "mimeapps.list").string() + " (Permission denied)");
    EXPECT_EQ(Slurp(config / "mimeapps.list"), list);
    EXPECT_TRUE(fs::exists(entry));
}

}  // namespace
