#include "platform/MemoText.h"

#include "utf16/Windows1252.h"

#include <cstdint>

namespace platform {

std::vector<std::string> DisplayLines(const std::vector<std::string>& entries)
{
    std::vector<std::string> lines;
    for (const std::string& entry : entries) {
        const std::string shown = entry.substr(0, entry.find('\0'));
        std::string line;
        for (std::size_t i = 0; i < shown.size(); ++i) {
            const char c = shown[i];
            if (c == '\r' || c == '\n') {
                lines.push_back(line);
                line.clear();
                if (c == '\r' && i + 1 < shown.size() && shown[i + 1] == '\n') ++i;
            } else {
                line += c;
            }
        }
        lines.push_back(line);
    }
    return lines;
}

std::string Cp1252ToUtf8(const std::string& bytes, bool sanitize)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        const std::uint32_t cp = utf16::Windows1252CodePoint(b);
        const bool control = (b < 0x20 && b != '\t') || b == 0x7F;
        if (cp == 0 && b != 0) {
            if (sanitize) out += '?';
            else utf16::AppendUtf8(out, 0xFFFD);
        } else if (control && sanitize) {
            out += '?';
        } else {
            utf16::AppendUtf8(out, cp);
        }
    }
    return out;
}

namespace {
// The next code point of UTF-8 text at i, advancing i; -1 when the bytes there are no valid UTF-8.
std::int32_t NextCodePoint(const std::string& text, std::size_t& i)
{
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) return lead;
    int more = 0;
    std::int32_t cp = 0;
    std::int32_t least = 0;
    if ((lead & 0xE0) == 0xC0) { more = 1; cp = lead & 0x1F; least = 0x80; }
    else if ((lead & 0xF0) == 0xE0) { more = 2; cp = lead & 0x0F; least = 0x800; }
    else if ((lead & 0xF8) == 0xF0) { more = 3; cp = lead & 0x07; least = 0x10000; }
    else return -1;
    for (int k = 0; k < more; ++k) {
        if (i >= text.size()) return -1;
        const auto next = static_cast<unsigned char>(text[i++]);
        if ((next & 0xC0) != 0x80) return -1;
        cp = (cp << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and numbers past Unicode's end are not UTF-8.
    if (cp < least || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return -1;
    return cp;
}
}  // namespace

Encoded Utf8ToCp1252(const std::string& text, std::string& out)
{
    std::string bytes;
    bool unmappable = false;
    for (std::size_t i = 0; i < text.size();) {
        const std::int32_t cp = NextCodePoint(text, i);
        if (cp < 0) return Encoded::NotUtf8;
        const int byte = utf16::Windows1252Byte(static_cast<std::uint32_t>(cp));
        if (byte < 0) unmappable = true;
        else bytes += static_cast<char>(byte);
    }
    if (unmappable) return Encoded::Unmappable;
    out = bytes;
    return Encoded::Ok;
}

std::string MemoLineToUtf8(const std::string& line, bool sanitize)
{
    const std::string label = kFilenameLabel;
    if (line.compare(0, label.size(), label) != 0) return Cp1252ToUtf8(line, sanitize);
    const std::string path = line.substr(label.size());
    std::string out = label;
    for (std::size_t i = 0; i < path.size();) {
        const std::size_t at = i;
        const std::int32_t cp = NextCodePoint(path, i);
        // A path that is no UTF-8 is shown as the other lines are.
        if (cp < 0) return Cp1252ToUtf8(line, sanitize);
        if (sanitize && (cp < 0x20 || cp == 0x7F) && cp != '\t') out += '?';
        else out.append(path, at, i - at);
    }
    return out;
}

}  // namespace platform
