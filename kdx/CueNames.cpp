#include "kdx/CueNames.h"

#include "utf16/Windows1252.h"

#include <cstdint>
#include <vector>

namespace kdx {

namespace {

constexpr std::uint32_t kReplacement = 0xFFFD;

// The bytes read as Windows-1252; undefined ones become U+FFFD, counted in undefined.
std::string FromWindows1252(std::string_view bytes, int& undefined)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        std::uint32_t cp = utf16::Windows1252CodePoint(b);
        if (cp == 0 && b != 0) {
            ++undefined;
            cp = kReplacement;
        }
        utf16::AppendUtf8(out, cp);
    }
    return out;
}

bool Separator(char c) { return c == '/' || c == '\\'; }

// A part Windows would trim to nothing or to a climb: dots and blanks only, other than ".".
bool DotsAndBlanks(const std::string& part)
{
    return !part.empty() && part != "." && part.find_first_not_of(". ") == std::string::npos;
}

}  // namespace

bool IsUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        int more = 0;
        std::uint32_t cp = 0;
        std::uint32_t least = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
            cp = lead & 0x1Fu;
            least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            cp = lead & 0x0Fu;
            least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            cp = lead & 0x07u;
            least = 0x10000;
        } else {
            return false;
        }
        if (bytes.size() - i - 1 < static_cast<std::size_t>(more)) return false;
        for (int k = 1; k <= more; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (next & 0x3Fu);
        }
        if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += static_cast<std::size_t>(more) + 1;
    }
    return true;
}

std::optional<std::string> NameToUtf8(std::string_view bytes)
{
    if (IsUtf8(bytes)) return std::string(bytes);
    int undefined = 0;
    std::string text = FromWindows1252(bytes, undefined);
    if (undefined != 0) return std::nullopt;
    return text;
}

std::string ShownText(std::string_view bytes)
{
    constexpr std::size_t kMost = 80;
    int undefined = 0;
    std::string text = IsUtf8(bytes) ? std::string(bytes) : FromWindows1252(bytes, undefined);
    std::size_t end = 0;
    std::size_t characters = 0;
    while (end < text.size() && characters < kMost) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
        ++characters;
    }
    if (end < text.size()) text = text.substr(0, end) + "...";
    return text;
}

NameCheck CheckTrackFileName(const std::string& utf8)
{
    NameCheck check;
    if (utf8.empty()) {
        check.fault = CueFault::EmptyName;
        return check;
    }
    const bool drive = utf8.size() >= 2 && utf8[1] == ':' &&
                       ((utf8[0] >= 'A' && utf8[0] <= 'Z') || (utf8[0] >= 'a' && utf8[0] <= 'z'));
    if (Separator(utf8[0]) || drive) {
        check.fault = CueFault::AbsoluteName;
        return check;
    }
    if (utf8.find(':') != std::string::npos) {
        check.fault = CueFault::ColonInName;
        return check;
    }
    std::vector<std::string> parts;
    std::string part;
    for (std::size_t i = 0; i <= utf8.size(); ++i) {
        if (i < utf8.size() && !Separator(utf8[i])) {
            part += utf8[i];
            continue;
        }
        if (DotsAndBlanks(part)) {
            check.fault = CueFault::ClimbingName;
            return check;
        }
        if (!part.empty() && part != ".") parts.push_back(part);
        part.clear();
    }
    // "." or "./" alone name the folder itself, which is no file.
    if (parts.empty()) {
        check.fault = CueFault::EmptyName;
        return check;
    }
    for (const std::string& p : parts) check.name += (check.name.empty() ? "" : "/") + p;
    return check;
}

}  // namespace kdx
