#include "kdx/ImageKind.h"

#include "kdx/CueSheet.h"

namespace kdx {

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

// Bytes a text may hold below the blank: tab, the line ends, vertical tab,
// form feed, the old end-of-file mark and the escape of coloured text.
bool TextControl(unsigned char b) { return b == '\t' || b == '\n' || b == '\v' || b == '\f' || b == '\r' || b == 0x1A || b == 0x1B; }

// The first word of a line and whether a blank follows it.
std::string_view FirstWord(std::string_view line, bool& argued)
{
    std::size_t at = 0;
    while (at < line.size() && Blank(line[at])) ++at;
    std::size_t end = at;
    while (end < line.size() && !Blank(line[end])) ++end;
    argued = end < line.size();
    return line.substr(at, end - at);
}

bool Is(std::string_view word, std::string_view upper)
{
    if (word.size() != upper.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char c = word[i] >= 'a' && word[i] <= 'z' ? static_cast<char>(word[i] - 'a' + 'A') : word[i];
        if (c != upper[i]) return false;
    }
    return true;
}

// A sheet's first command other than REM may come before its first FILE,
// and a FILE line with a name follows.
bool OpensLikeSheet(std::string_view text)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    bool opened = false;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = at;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        bool argued = false;
        const std::string_view word = FirstWord(text.substr(at, end - at), argued);
        at = end + 1;
        if (word.empty() || Is(word, "REM")) continue;
        if (!opened && !IsSheetHeadCommand(word)) return false;
        opened = true;
        if (argued && Is(word, "FILE")) return true;
    }
    return false;
}

}  // namespace

ImageKind ClassifyImage(std::string_view head)
{
    if (head.size() >= 2 && ((head[0] == '\xFF' && head[1] == '\xFE') || (head[0] == '\xFE' && head[1] == '\xFF')))
        return ImageKind::Text;
    // How a sheet opens tells it: a control byte on a later line is for the
    // reader to refuse, with its line, rather than a reason to patch the sheet.
    if (OpensLikeSheet(head)) return ImageKind::CueSheet;
    bool lines = false;
    for (const char c : head) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && !TextControl(b)) || b == 0x7F) return ImageKind::Other;
        lines = lines || b == '\n' || b == '\r';
    }
    return lines ? ImageKind::Text : ImageKind::Other;
}

}  // namespace kdx
