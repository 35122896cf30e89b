// The main window's patch controls in memory, the fake backend, and files.
#pragma once

#include "commands/ApplyCommand.h"
#include "commands/LoadPatch.h"
#include "platform/Dispatch.h"
#include "platform/fake/FakeServices.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace testsupport {

class CommandTest : public ::testing::Test {
protected:
    platform::Outcome Load(const std::string& path)
    {
        return platform::Dispatch([&] { commands::LoadPatch(state, controls, path); });
    }
    platform::Outcome ApplyClick()
    {
        return platform::Dispatch([&] { commands::btnApplyClick(state, controls); });
    }
    std::string Patch(const PatchLayout& layout, const std::string& name = "fix.kdx")
    {
        const std::string path = dir.File(name);
        WriteFile(path, BuildPatch(layout));
        return path;
    }
    std::string Image(const Bytes& bytes, const std::string& name = "disc.bin")
    {
        const std::string path = dir.File(name);
        WriteFile(path, bytes);
        return path;
    }
    std::vector<std::string> BoxTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& box : ui.boxes) texts.push_back(box.text);
        return texts;
    }
    // The window after ResetWindow: both edits and the memo empty, the box off.
    void ExpectReset() const
    {
        EXPECT_EQ(edtImage.Text(), "");
        EXPECT_EQ(edtKDX.Text(), "");
        EXPECT_TRUE(infMemo.Lines().empty());
        EXPECT_FALSE(cbUndo.Checked());
        EXPECT_FALSE(cbUndo.Enabled());
        EXPECT_EQ(frmMain.Caption(), "::[: MENDRIX v3.0 :]::");
    }
    void ExpectIdle() const
    {
        EXPECT_FALSE(state.Patching);
        // No command leaves a file of its own open.
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.Path())) {
            if (entry.is_regular_file()) {
                EXPECT_FALSE(HeldOpen(entry.path().string())) << entry.path();
            }
        }
        EXPECT_EQ(ui.cursor, platform::crDefault);
    }

    TempDir dir;
    platform::fake::FakeServices ui;
    commands::PatchState state;
    platform::PatchWindow window;
    platform::Form& frmMain = window.frmMain;
    platform::Edit& edtImage = window.edtImage;
    platform::Edit& edtKDX = window.edtKDX;
    platform::Memo& infMemo = window.infMemo;
    platform::CheckBox& cbUndo = window.cbUndo;
    platform::PatchControls controls = window.Controls();
};

}  // namespace testsupport
