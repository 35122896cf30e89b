// The terminal backend of mendrix-cli: boxes go to standard error as
// "Caption: text", questions are answered by --yes/--no or at the terminal.
#pragma once

#include "platform/Services.h"

#include <cstdio>
#include <functional>

namespace platform::console {

enum class Answer { Ask, Yes, No };

class ConsoleServices : public Services {
public:
    explicit ConsoleServices(Answer answer, std::FILE* err = stderr, std::FILE* in = stdin);
    ~ConsoleServices() override;
    ConsoleServices(const ConsoleServices&) = delete;
    ConsoleServices& operator=(const ConsoleServices&) = delete;

    ModalResult MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons) override;
    void ShowGeneralError(const std::string& text) override;
    void ProcessMessages() override;
    Cursor ScreenCursor() const override { return cursor_; }
    void SetScreenCursor(Cursor cursor) override { cursor_ = cursor; }

    // Called when a pump is due (a few times a second at most): progress display.
    std::function<void()> onTick;
    // Called on every pump (once per record of an apply), so it must be cheap.
    std::function<void()> onPump;
    // Called before a box is printed: a progress line is taken off first.
    std::function<void()> beforeMessage;

private:
    void Print(const char* caption, const std::string& text);

    Answer answer_;
    std::FILE* err_;
    std::FILE* in_;
    Cursor cursor_ = crDefault;
};

}  // namespace platform::console
