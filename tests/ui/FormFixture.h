// The two forms over in-memory controls and the fake backend.
#pragma once

#include "desktop/Association.h"
#include "platform/CommandLine.h"
#include "platform/Dispatch.h"
#include "platform/fake/FakeServices.h"
#include "tests/support/TempFiles.h"
#include "ui/uAbout.h"
#include "ui/uMain.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>

namespace uitest {

// Sets environment variables for a test's life and puts the old values back.
class Environment {
public:
    void Set(const char* name, const std::string& value)
    {
        const char* old = std::getenv(name);
        saved_.emplace(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
        setenv(name, value.c_str(), 1);
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

class FormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetCommandLine("/opt/mendrix/bin/mendrix", {});
        ui.associate = desktop::AssociateFileType;
    }
    void TearDown() override { platform::SetCommandLine("", {}); }

    platform::Outcome Run(const std::function<void()>& handler) { return platform::Dispatch(handler); }

    // A version 1.0 patch with one record, under the name given.
    std::string Patch(const std::string& name)
    {
        testsupport::PatchLayout layout;
        layout.records = {{4, {0xAA, 0xBB}, {}}};
        const std::string path = dir.File(name);
        testsupport::WriteFile(path, testsupport::BuildPatch(layout));
        return path;
    }
    std::vector<std::string> BoxTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& box : ui.boxes) texts.push_back(box.text);
        return texts;
    }

    testsupport::TempDir dir;
    platform::fake::FakeServices ui;
    platform::PatchWindow window;
    platform::Form& frmMainWindow = window.frmMain;
    platform::Edit& edtImage = window.edtImage;
    platform::Edit& edtKDX = window.edtKDX;
    platform::Memo& infMemo = window.infMemo;
    platform::CheckBox& cbUndo = window.cbUndo;
    platform::Form frmAboutWindow;
    platform::Label lblWeb;
    ui::TfrmAbout frmAbout{{frmAboutWindow, lblWeb}, frmMainWindow};
    ui::TfrmMain frmMain{window.Controls(), frmAbout};
};

}  // namespace uitest
