#include "desktop/MimeAppsList.h"

#include <optional>
#include <vector>

namespace desktop {

namespace {

const char* const kGroup = "[Default Applications]";

std::string Trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool IsEntryFor(const std::string& line, const std::string& mimeType)
{
    const auto eq = line.find('=');
    return eq != std::string::npos && Trimmed(line.substr(0, eq)) == mimeType;
}

}  // namespace

std::string WithDefaultApplication(const std::string& text, const std::string& mimeType, const std::string& desktopId)
{
    const std::string entry = mimeType + "=" + desktopId + ";";
    std::vector<std::string> out;
    bool inGroup = false;
    int groupsSeen = 0;
    bool written = false;
    // Just after the last non-blank line of the group's first occurrence.
    std::optional<std::size_t> groupEnd;

    for (const std::string& line : Lines(text)) {
        const std::string trimmed = Trimmed(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            inGroup = trimmed == kGroup;
            if (inGroup) ++groupsSeen;
        }
        if (inGroup && IsEntryFor(trimmed, mimeType)) {
            if (!written) out.push_back(entry);
            written = true;
            continue;
        }
        out.push_back(line);
        if (inGroup && groupsSeen == 1 && !trimmed.empty()) groupEnd = out.size();
    }

    if (!written) {
        if (groupEnd) {
            out.insert(out.begin() + static_cast<std::ptrdiff_t>(*groupEnd), entry);
        } else {
            if (!out.empty() && !Trimmed(out.back()).empty()) out.emplace_back();
            out.emplace_back(kGroup);
            out.push_back(entry);
        }
    }

    std::string result;
    for (const std::string& line : out) result += line + "\n";
    return result;
}

}  // namespace desktop
