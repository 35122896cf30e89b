#include "platform/console/ConsoleServices.h"

#include "platform/PumpThrottle.h"
#include "platform/console/Terminal.h"

#include <string>

namespace platform::console {

namespace {
PumpThrottle gThrottle;

std::string TerminalText(const std::string& text)
{
    std::string out;
    for (const char c : text) out += c == '\r' ? '\n' : c;
    return out;
}
}  // namespace

ConsoleServices::ConsoleServices(Answer answer, std::FILE* err, std::FILE* in)
    : answer_(answer), err_(err), in_(in)
{
    SetServices(this);
}

ConsoleServices::~ConsoleServices() { SetServices(nullptr); }

void ConsoleServices::Print(const char* caption, const std::string& text)
{
    if (beforeMessage) beforeMessage();
    std::fprintf(err_, "%s: %s", caption, TerminalText(text).c_str());
}

ModalResult ConsoleServices::MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons)
{
    Print(CaptionOf(type), text);
    if (buttons == MsgDlgButtons::mbOK) {
        std::fputc('\n', err_);
        std::fflush(err_);
        return ModalResult::mrOk;
    }
    Answer answer = answer_;
    if (answer == Answer::Ask) {
        std::fputs(" [y/N] ", err_);
        std::fflush(err_);
        answer = Answer::No;
        if (IsTerminal(in_)) {
            char line[64] = {};
            if (std::fgets(line, sizeof line, in_) != nullptr && (line[0] == 'y' || line[0] == 'Y'))
                answer = Answer::Yes;
        } else {
            std::fputs("no\n", err_);
        }
    } else {
        std::fputs(answer == Answer::Yes ? " yes\n" : " no\n", err_);
    }
    std::fflush(err_);
    return answer == Answer::Yes ? ModalResult::mrYes : ModalResult::mrNo;
}

void ConsoleServices::ShowGeneralError(const std::string& text)
{
    Print(kTitle, text);
    std::fputc('\n', err_);
    std::fflush(err_);
}

void ConsoleServices::ProcessMessages()
{
    if (onPump) onPump();
    if (onTick && gThrottle.Due()) onTick();
}

}  // namespace platform::console
