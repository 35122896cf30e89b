// The controls that the forms hold. Each keeps its own value, so the form
// logic runs the same with or without a real widget; a backend derives from
// them and mirrors every change into its widget through Show().
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// An ordered list of text lines for the information memo (8-bit bytes).
using InfoLines = std::vector<std::string>;

class Edit {
public:
    virtual ~Edit() = default;
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text) { text_ = text; Show(); }
    void Clear() { SetText(std::string()); }

protected:
    virtual void Show() {}

private:
    std::string text_;
};

// The memo keeps its entries as appended; how an entry with line breaks or a
// zero byte is shown is the backend's concern (see MemoText.h).
class Memo {
public:
    virtual ~Memo() = default;
    const InfoLines& Lines() const { return lines_; }
    void Clear() { lines_.clear(); Show(); }
    void Append(const InfoLines& lines)
    {
        lines_.insert(lines_.end(), lines.begin(), lines.end());
        Show();
    }

protected:
    virtual void Show() {}

private:
    InfoLines lines_;
};

class CheckBox {
public:
    virtual ~CheckBox() = default;
    bool Checked() const { return checked_; }
    bool Enabled() const { return enabled_; }
    void SetChecked(bool checked) { checked_ = checked; Show(); }
    void SetEnabled(bool enabled) { enabled_ = enabled; Show(); }

protected:
    virtual void Show() {}
    // For a backend whose widget the user ticked: takes the value without echo.
    void Take(bool checked) { checked_ = checked; }

private:
    bool checked_ = false;
    bool enabled_ = false;
};

// Colours as 0x00BBGGRR (red in the low byte). A value with the top byte
// 0xFF names a system colour instead.
using Color = std::uint32_t;
inline constexpr Color clBlack = 0x000000;
inline constexpr Color clBlue = 0xFF0000;
inline constexpr Color clWindow = 0xFF000005;
inline constexpr Color clWindowText = 0xFF000008;
inline constexpr Color clBtnFace = 0xFF00000F;

// A text label whose font colour and underline the form sets.
class Label {
public:
    virtual ~Label() = default;
    const std::string& Text() const { return text_; }
    Color FontColor() const { return color_; }
    bool Underlined() const { return underlined_; }
    void SetText(const std::string& text) { text_ = text; Show(); }
    void SetFontColor(Color color) { color_ = color; Show(); }
    void SetUnderlined(bool underlined) { underlined_ = underlined; Show(); }

protected:
    virtual void Show() {}

private:
    std::string text_;
    Color color_ = clWindowText;
    bool underlined_ = false;
};

// The outer rectangle of a window in screen pixels.
struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A system-menu entry the form added: its text and command id.
using MenuEntry = std::pair<std::string, std::uint32_t>;

// A window. In memory it only records what the form asked of it; a backend
// overrides the virtual members to act on its real window and calls the
// base so the recorded state stays true.
class Form {
public:
    virtual ~Form() = default;
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption) { caption_ = caption; Show(); }

    virtual Bounds BoundsRect() const { return bounds_; }
    virtual void SetPosition(int left, int top) { bounds_.left = left; bounds_.top = top; }
    // Shows the window modally; returns once it has been closed (in memory: at once).
    virtual void ShowModal() { visible_ = true; ++modalShowings_; }
    // Closes the window; closing the main window ends the program.
    virtual void Close()
    {
        visible_ = false;
        ++closes_;
    }
    // Appends a plain entry to the window's system menu.
    virtual void AppendSystemMenu(const std::string& text, std::uint32_t command) { menu_.emplace_back(text, command); }
    // Lets files from the desktop be dropped on the window, or not.
    virtual void AcceptFiles(bool accept) { acceptsFiles_ = accept; }

    bool Visible() const { return visible_; }
    int ModalShowings() const { return modalShowings_; }
    // How often the form closed the window.
    int Closes() const { return closes_; }
    const std::vector<MenuEntry>& SystemMenu() const { return menu_; }
    bool AcceptsFiles() const { return acceptsFiles_; }
    void SetBounds(const Bounds& bounds) { bounds_ = bounds; }

protected:
    virtual void Show() {}
    void SetVisible(bool visible) { visible_ = visible; }

private:
    std::string caption_;
    Bounds bounds_;
    bool visible_ = false;
    int modalShowings_ = 0;
    int closes_ = 0;
    std::vector<MenuEntry> menu_;
    bool acceptsFiles_ = false;
};

// The parts of the main window that loading and applying a patch work on.
struct PatchControls {
    Form& frmMain;
    Edit& edtImage;
    Edit& edtKDX;
    Memo& infMemo;
    CheckBox& cbUndo;
};

// Those parts held in memory: the window that a terminal run, the tests and
// the fuzz targets load and apply through.
struct PatchWindow {
    Form frmMain;
    Edit edtImage;
    Edit edtKDX;
    Memo infMemo;
    CheckBox cbUndo;
    PatchControls Controls() { return {frmMain, edtImage, edtKDX, infMemo, cbUndo}; }
};

}  // namespace platform
