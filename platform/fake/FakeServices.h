// The test backend: records every box, answers questions from a script and
// counts pumps, so the form logic is tested without a window.
#pragma once

#include "platform/Services.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform::fake {

struct Box {
    std::string text;
    MsgDlgType type;
    MsgDlgButtons buttons;
    std::string caption;  // the kind's caption, or kTitle for the general error box
};

// One showing of the open-file dialog.
struct DialogCall {
    std::string title;
    std::string filter;
    int filterIndex;  // the entry (1-based) selected when it opened
};

// What the user does in the dialog: a path with the filter entry in force,
// or nothing (cancel).
struct DialogAnswer {
    std::optional<std::string> path;
    int filterIndex = 1;
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
    std::optional<std::string> OpenFileDialog(const std::string& title, const std::string& filter) override;
    // Records the path; answers documentFailure.
    std::string OpenDocument(const std::string& path) override
    {
        documents.push_back(path);
        return documentFailure;
    }

    std::vector<Box> boxes;
    // Answers to questions (Yes/No boxes), taken in order; Yes once it is empty.
    std::deque<ModalResult> answers;
    int pumps = 0;
    Cursor cursor = crDefault;
    // Runs inside a pump: a nested command during an apply.
    std::function<void(int pump)> onPump;
    // Runs while a box is shown (the state at that moment can be inspected).
    std::function<void(const Box&)> onBox;

    std::vector<DialogCall> dialogs;
    // Taken in order; a cancel once it is empty.
    std::deque<DialogAnswer> dialogAnswers;
    // The dialog's filter entry, kept from the last confirmed file.
    int filterIndex = 1;
    std::vector<std::string> documents;
    std::string documentFailure;  // empty: every document opens
};

}  // namespace platform::fake
