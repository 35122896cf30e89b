// The services of the windowing layer that the commands and the forms use.
// A backend (qt, win32, console, fake) implements them; the program installs
// its backend once at start with SetServices.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {

// The application's title: the task-bar name and the general error box's caption.
inline constexpr const char* kTitle = "::[ MENDRIX v3.0 ]::";

enum class MsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };
enum class MsgDlgButtons { mbOK, mbYesNo };
// mrNone: a question closed without an answer (counts as not-No).
enum class ModalResult { mrNone, mrOk, mrYes, mrNo };

// Screen cursor shapes, as 16-bit cursor identifiers.
using Cursor = std::int16_t;
inline constexpr Cursor crDefault = 0;
inline constexpr Cursor crHourGlass = -11;

// The caption of a box of the given kind: "Warning", "Error", "Information", "Confirm".
const char* CaptionOf(MsgDlgType type);

class Services {
public:
    virtual ~Services() = default;

    // Shows a modal box of the kind's caption and icon; answers the button pressed.
    virtual ModalResult MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons) = 0;
    // The general error box: caption kTitle, an error symbol, OK. The text is final.
    virtual void ShowGeneralError(const std::string& text) = 0;
    // One pass of the message pump; called once per patch record, so it must be cheap.
    virtual void ProcessMessages() = 0;
    virtual Cursor ScreenCursor() const = 0;
    virtual void SetScreenCursor(Cursor cursor) = 0;

    // The one open-file dialog of the program, shown modally. filter lists
    // "Name|patterns" pairs joined by "|", patterns joined by ";". The file
    // name starts empty; the dialog keeps the filter entry with which a file
    // was last confirmed for its next showing. Answers the chosen path, or
    // nothing when the user cancelled. Without a desktop: always cancelled.
    virtual std::optional<std::string> OpenFileDialog(const std::string& title, const std::string& filter);
    // Shows one of the program's own documents (its guide) to the user, in
    // the desktop's viewer or a window of its own. Answers an empty text
    // once it is on its way, otherwise the system's reason why it cannot be
    // shown; nothing else is reported. Without a desktop: never shown.
    virtual std::string OpenDocument(const std::string& path);
    // Makes programPath the program that opens files of the extension; ends
    // with an exception whose text the general error box shows. Calls
    // associate, which the program sets (the association is linked by the
    // desktop program only); without it the request is refused.
    virtual void AssociateFileType(const std::string& extension, const std::string& programPath);

    std::function<void(const std::string& extension, const std::string& programPath)> associate;
};

// Installs the backend's services; the caller keeps ownership.
void SetServices(Services* services);
// The installed services. Throws std::logic_error when none is installed.
Services& Ui();

// Shorthands for the calls the commands and the forms make most.
ModalResult MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons);
void ProcessMessages();

}  // namespace platform
