// What every command of mendrix-cli says the same way: lines on standard
// output, an error box, the reason a file could not be opened, and the
// load's message for a patch it cannot read.
#include "cli/Commands.h"

#include "commands/CueTexts.h"
#include "commands/Messages.h"
#include "commands/ResultTexts.h"
#include "platform/Services.h"

#include <cstdio>

namespace cli {

using platform::MsgDlgButtons;
using platform::MsgDlgType;

void PrintLines(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) std::printf("%s\n", line.c_str());
}

int Fail(const std::string& text)
{
    platform::MessageDlg(text, MsgDlgType::mtError, MsgDlgButtons::mbOK);
    return kExitFailed;
}

void SayOpenReason(int error)
{
    std::fprintf(stderr, "(%s)\n", commands::OpenReason(error).c_str());
    std::fflush(stderr);
}

int FailOpen(const std::string& text, int error)
{
    Fail(text);
    SayOpenReason(error);
    return kExitFailed;
}

int FailImageOpen(const kdx::ImageOpenResult& opened)
{
    const std::string text = commands::ImageOpenText(opened);
    return opened.status == kdx::ImageOpenStatus::CantOpen ? FailOpen(text, opened.error) : Fail(text);
}

std::optional<kdx::Patch> ReadPatchOrSay(const std::string& path, kdx::FileSystem& files)
{
    kdx::ReadResult read = kdx::ReadPatch(path, files);
    switch (read.status) {
    case kdx::ReadStatus::Read: return std::move(read.patch);
    case kdx::ReadStatus::CantOpen: FailOpen(commands::text::CantOpenKdx(path), read.error); break;
    case kdx::ReadStatus::NotKdx:
        platform::MessageDlg(commands::text::NoValidKdx(path), MsgDlgType::mtWarning, MsgDlgButtons::mbOK);
        break;
    case kdx::ReadStatus::UnknownMethod:
        platform::MessageDlg(commands::text::UnknownMethod(path), MsgDlgType::mtWarning, MsgDlgButtons::mbOK);
        break;
    }
    return std::nullopt;
}

}  // namespace cli
