#include "platform/fake/FakeServices.h"

namespace platform::fake {

ModalResult FakeServices::MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons)
{
    boxes.push_back({text, type, buttons, CaptionOf(type)});
    if (onBox) onBox(boxes.back());
    if (buttons == MsgDlgButtons::mbOK) return ModalResult::mrOk;
    if (answers.empty()) return ModalResult::mrYes;
    const ModalResult answer = answers.front();
    answers.pop_front();
    return answer;
}

void FakeServices::ShowGeneralError(const std::string& text)
{
    boxes.push_back({text, MsgDlgType::mtError, MsgDlgButtons::mbOK, kTitle});
    if (onBox) onBox(boxes.back());
}

void FakeServices::ProcessMessages()
{
    ++pumps;
    if (onPump) onPump(pumps);
}

std::optional<std::string> FakeServices::OpenFileDialog(const std::string& title, const std::string& filter)
{
    dialogs.push_back({title, filter, filterIndex});
    if (dialogAnswers.empty()) return std::nullopt;
    const DialogAnswer answer = dialogAnswers.front();
    dialogAnswers.pop_front();
    if (answer.path) filterIndex = answer.filterIndex;
    return answer.path;
}

}  // namespace platform::fake
