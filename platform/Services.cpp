#include "platform/Services.h"

#include <stdexcept>

namespace platform {
namespace {
Services* gServices = nullptr;
}

const char* CaptionOf(MsgDlgType type)
{
    switch (type) {
    case MsgDlgType::mtWarning: return "Warning";
    case MsgDlgType::mtError: return "Error";
    case MsgDlgType::mtInformation: return "Information";
    case MsgDlgType::mtConfirmation: return "Confirm";
    }
    return "";
}

std::optional<std::string> Services::OpenFileDialog(const std::string&, const std::string&)
{
    return std::nullopt;
}

std::string Services::OpenDocument(const std::string&) { return "there is no desktop to show it on"; }

void Services::AssociateFileType(const std::string& extension, const std::string& programPath)
{
    if (!associate) throw std::runtime_error("This program cannot associate '" + extension + "' files here");
    associate(extension, programPath);
}

void SetServices(Services* services) { gServices = services; }

Services& Ui()
{
    if (gServices == nullptr) throw std::logic_error("no windowing backend installed");
    return *gServices;
}

ModalResult MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons)
{
    return Ui().MessageDlg(text, type, buttons);
}

void ProcessMessages() { Ui().ProcessMessages(); }

}  // namespace platform
