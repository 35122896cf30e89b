// The test backend: records every box, answers questions from a script and
// counts pumps, so the form logic is tested without a window.
#pragma once

#include "../Services.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace platform::fake {

struct Box {
    std::string text;
    MsgDlgType type;
    MsgDlgButtons buttons;
    std::string caption;  // the kind's caption, or kTitle for the general error box
};

class FakeServices : public Services {
public:
    FakeServices() { SetServices(this); }
    ~FakeServices() override { SetServices(nullptr); }
    FakeServices(const FakeServices&) = delete;
    FakeServices& operator=(const FakeServices&) = delete;

    ModalResult MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons) override;
    void ShowGeneralError(const std::string& text) override;
    void ProcessMessages() override;
    Cursor ScreenCursor() const override { return cursor; }
    void SetScreenCursor(Cursor c) override { cursor = c; }

    std::vector<Box> boxes;
    // Answers to questions (Yes/No boxes), taken in order; Yes once it is empty.
    std::deque<ModalResult> answers;
    int pumps = 0;
    Cursor cursor = crDefault;
    // Runs inside a pump: a nested command during an apply.
    std::function<void(int pump)> onPump;
    // Runs while a box is shown (the state at that moment can be inspected).
    std::function<void(const Box&)> onBox;
};

}  // namespace platform::fake
