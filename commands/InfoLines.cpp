#include "commands/InfoLines.h"

namespace commands {

std::string Labelled(const std::string& label, const std::string& value)
{
    std::string line = label;
    if (line.size() < 15) line.append(15 - line.size(), ' ');
    return line + ": " + value;
}

std::string Bytes(std::int64_t length) { return std::to_string(length) + " Bytes"; }

InfoLines BuildInfoLines(const kdx::Patch& patch)
{
    static constexpr const char* kMethodLines[] = {"0 (KDX1.0)", "1 (KDX2.0)", "2 (KDX3.0)"};
    InfoLines lines{Labelled("Filename", patch.path), Labelled("Filelength", Bytes(patch.fileLength)),
                    Labelled("Enc. Method", kMethodLines[patch.Method()])};
    if (patch.layout->hasFlags) {
        lines.push_back(Labelled("Undo Data", patch.HasUndoData() ? "Present " : "Nope"));
        lines.push_back(Labelled("Blockcheck", patch.BlockCheck() ? "Enabled " : "Disabled  "));
        lines.push_back(Labelled("Imagetype", patch.GiImage() ? "GI Image " : "Normal Image "));
    }
    lines.push_back(Labelled("Description", patch.Description()));
    lines.push_back(Labelled("KDX Patchdata", Bytes(patch.patchDataLength)));
    if (patch.layout->dizLengthBytes == 0) return lines;
    if (!patch.ListsTrailer()) {
        lines.push_back(Labelled("File_ID.diz", "Nope"));
        return lines;
    }
    lines.push_back(Labelled("File_ID.diz", "Yes, showing ..."));
    lines.emplace_back();
    lines.push_back(patch.diz.text);
    return lines;
}

}  // namespace commands
