// The main window's patch controls in memory, the fake backend, and files.
#pragma once

#include "engine/ApplyCommand.h"
#include "engine/LoadPatch.h"
#include "engine/PatchingState.h"
#include "engine/uStd.h"
#include "platform/Dispatch.h"
#include "platform/fake/FakeServices.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

namespace testsupport {

class CommandTest : public ::testing::Test {
protected:
    platform::Outcome Load(const std::string& path)
    {
        return platform::Dispatch([&] { engine::LoadPatch(controls, path); });
    }
    platform::Outcome ApplyClick()
    {
        return platform::Dispatch([&] { engine::btnApplyClick(controls); });
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
        EXPECT_FALSE(engine::Patching);
        EXPECT_FALSE(uStd::PatchFile.IsOpen());
        EXPECT_FALSE(uStd::ImageFile.IsOpen());
        EXPECT_EQ(ui.cursor, platform::crDefault);
    }

    TempDir dir;
    platform::fake::FakeServices ui;
    platform::Form frmMain;
    platform::Edit edtImage;
    platform::Edit edtKDX;
    platform::Memo infMemo;
    platform::CheckBox cbUndo;
    platform::PatchControls controls{frmMain, edtImage, edtKDX, infMemo, cbUndo};
};

}  // namespace testsupport
