// The two windows on the real Win32 controls, in process under Wine, with
// the message boxes answered through the services' seam and recorded.
#pragma once

#include "app/Win32Forms.h"
#include "desktop/Association.h"
#include "platform/CommandLine.h"
#include "platform/win32/Win32Services.h"
#include "tests/support/TempFiles.h"
#include "tests/windows/WindowProbe.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace win32test {

using utf16::Narrow;
using probe::ChildAt;
using probe::Pump;

struct SeenBox {
    std::string text;
    std::string caption;
    unsigned style = 0;
};

class Win32WindowTest : public ::testing::Test {
protected:
    void SetUp() override { Start(program); }
    void Start(const std::string& path)
    {
        forms.reset();
        services.reset();
        platform::SetCommandLine(path, {});
        services = std::make_unique<platform::win32::Win32Services>();
        services->associate = desktop::AssociateFileType;
        services->showBox = [this](const std::wstring& text, const std::wstring& caption, unsigned style) {
            boxes.push_back({Narrow(text), Narrow(caption), style});
            if (onBox) onBox();
            return (style & MB_YESNO) != 0 ? IDYES : IDOK;
        };
        forms = std::make_unique<app::Win32Forms>();
        forms->mainWindow.ShowCentred();
        Pump();  // the first showing's handler
        main = forms->mainWindow.Handle();
    }
    void TearDown() override
    {
        forms.reset();
        services.reset();
        Pump();
    }
    HWND Child(int left, int top, int width, int height) const
    {
        HWND child = ChildAt(main, RECT{left, top, left + width, top + height});
        EXPECT_NE(child, nullptr) << "no control at " << left << "," << top << " " << width << "x" << height;
        return child;
    }
    HWND EdtImage() const { return Child(112, 48, 241, 21); }
    HWND EdtKdx() const { return Child(112, 89, 241, 21); }
    HWND InfMemo() const { return Child(0, 180, 410, 165); }
    HWND BtnApply() const { return Child(15, 126, 127, 25); }
    HWND CbUndo() const { return Child(15, 159, 157, 17); }
    void Drop(const std::vector<std::string>& paths)
    {
        ASSERT_TRUE(PostMessageW(main, WM_DROPFILES, reinterpret_cast<WPARAM>(probe::DropOf(paths)), 0));
        Pump();
    }

    // Blanks and a non-ASCII letter, quoted in the registry's command.
    const std::string program = "C:\\Program Files\\\xC3\x9C" "bersetzung\\mendrix.exe";
    testsupport::TempDir dir;
    std::vector<SeenBox> boxes;
    std::function<void()> onBox;
    std::unique_ptr<platform::win32::Win32Services> services;
    std::unique_ptr<app::Win32Forms> forms;
    HWND main = nullptr;
};

}  // namespace win32test
