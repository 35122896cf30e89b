#include "MemoText.h"

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

namespace {
// Code points of 0x80..0x9F in Windows-1252; 0 where the byte is undefined.
constexpr std::uint16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}
}  // namespace

std::string Cp1252ToUtf8(const std::string& bytes, bool sanitize)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        std::uint32_t cp = b;
        if (b >= 0x80 && b < 0xA0) cp = kHigh[b - 0x80];
        const bool control = (b < 0x20 && b != '\t') || b == 0x7F;
        if (cp == 0 && b != 0) {
            if (sanitize) out += '?';
            else AppendUtf8(out, 0xFFFD);
        } else if (control && sanitize) {
            out += '?';
        } else {
            AppendUtf8(out, cp);
        }
    }
    return out;
}

}  // namespace platform
