// The controls that the forms hold. Each keeps its own value, so the form
// logic runs the same with or without a real widget; a backend derives from
// them and mirrors every change into its widget through Show().
#pragma once

#include <string>
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

class Form {
public:
    virtual ~Form() = default;
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption) { caption_ = caption; Show(); }

protected:
    virtual void Show() {}

private:
    std::string caption_;
};

// The parts of the main window that loading and applying a patch work on.
struct PatchControls {
    Form& frmMain;
    Edit& edtImage;
    Edit& edtKDX;
    Memo& infMemo;
    CheckBox& cbUndo;
};

}  // namespace platform
