#include "InfoLines.h"

namespace engine {

std::string Labelled(const std::string& label, const std::string& value)
{
    std::string line = label;
    if (line.size() < 15) line.append(15 - line.size(), ' ');
    return line + ": " + value;
}

std::string Bytes(std::int64_t length) { return std::to_string(length) + " Bytes"; }

void AppendDizLines(InfoLines& lines, bool hasTrailer, const std::string& text)
{
    if (!hasTrailer) {
        lines.push_back(Labelled("File_ID.diz", "Nope"));
        return;
    }
    lines.push_back(Labelled("File_ID.diz", "Yes, showing ..."));
    lines.emplace_back();
    lines.push_back(text);
}

}  // namespace engine
