#include "kdx/CueSheet.h"

#include "kdx/CueNames.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace kdx {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr int kFramesPerSecond = 75;

struct ModeName {
    const char* name;
    CueMode mode;
    int sectorSize;
};

constexpr std::array<ModeName, 5> kModes = {{{"MODE1/2352", CueMode::Mode1_2352, 2352},
                                             {"MODE2/2352", CueMode::Mode2_2352, 2352},
                                             {"MODE1/2048", CueMode::Mode1_2048, 2048},
                                             {"MODE2/2336", CueMode::Mode2_2336, 2336},
                                             {"AUDIO", CueMode::Audio, 2352}}};

bool Blank(char c) { return c == ' ' || c == '\t'; }

std::string Upper(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
    return s;
}

// A decimal number of at most maxDigits digits.
std::optional<int> Number(std::string_view s, std::size_t maxDigits)
{
    if (s.empty() || s.size() > maxDigits) return std::nullopt;
    int n = 0;
    for (const char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

bool Unreadable(std::string_view line)
{
    return std::ranges::any_of(line, [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return (b < 0x20 && b != '\t') || b == 0x7F;
    });
}

class SheetReader {
public:
    CueSheetResult Run(std::string_view bytes);

private:
    bool Line(std::string_view text);
    bool OnFile(std::string_view args);
    bool OnTrack(std::string_view args);
    bool OnIndex(std::string_view args);
    bool OnGap(const std::string& command, std::string_view args);
    bool InTrack(const std::string& command);
    // The open track is complete; false (with the fault) when it lacks INDEX 01.
    bool CloseTrack();
    // The last file has a track; false (with the fault) when it has none.
    bool FileHasTrack();
    bool Fail(CueFault fault, std::string text = {}, std::int64_t number = 0, std::int64_t other = 0);

    CueSheetResult result_;
    int line_ = 0;
    bool trackOpen_ = false;
    int lastIndex_ = -1;  // the open track's last INDEX number
    bool pregap_ = false;
    bool postgap_ = false;
    std::int64_t lastTime_ = 0;  // the latest INDEX time in the current file
};

bool SheetReader::Fail(CueFault fault, std::string text, std::int64_t number, std::int64_t other)
{
    result_.problem.fault = fault;
    result_.problem.line = line_;
    result_.problem.text = std::move(text);
    result_.problem.number = number;
    result_.problem.other = other;
    result_.sheet = {};
    return false;
}

CueSheetResult SheetReader::Run(std::string_view bytes)
{
    if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) {
        Fail(CueFault::WideText);
        return result_;
    }
    bool read = true;
    ForEachCueLine(bytes, [&](std::string_view text) {
        ++line_;
        return read = Line(text);
    });
    if (!read || !CloseTrack()) return result_;
    if (result_.sheet.files.empty()) {
        line_ = 0;
        Fail(CueFault::NoFile);
        return result_;
    }
    FileHasTrack();
    return result_;
}

bool SheetReader::Line(std::string_view text)
{
    if (Unreadable(text)) return Fail(CueFault::UnreadableLine);
    std::string_view rest = text;
    const std::string_view word = TakeCueWord(rest);
    if (word.empty()) return true;
    const std::string command = Upper(word);
    if (command == "FILE") return OnFile(rest);
    // Texts, the catalogue number and the CD-TEXT file are kept out of the way.
    if (IsSheetHeadCommand(command)) return true;
    if (command == "TRACK") return OnTrack(rest);
    if (command == "INDEX") return OnIndex(rest);
    if (command == "PREGAP" || command == "POSTGAP") return OnGap(command, rest);
    if (command == "FLAGS" || command == "ISRC") return InTrack(command);
    return Fail(CueFault::UnknownCommand, ShownText(word));
}

bool SheetReader::CloseTrack()
{
    if (!trackOpen_) return true;
    trackOpen_ = false;
    const CueSheetTrack& track = result_.sheet.tracks.back();
    if (lastIndex_ < 1) {
        line_ = track.line;
        return Fail(CueFault::TrackWithoutIndex1, {}, track.number);
    }
    return true;
}

bool SheetReader::FileHasTrack()
{
    if (result_.sheet.files.empty()) return true;
    if (!result_.sheet.tracks.empty() && result_.sheet.tracks.back().file == result_.sheet.files.size() - 1) return true;
    line_ = result_.sheet.files.back().line;
    return Fail(CueFault::FileWithoutTrack, result_.sheet.files.back().name);
}

bool SheetReader::InTrack(const std::string& command)
{
    return trackOpen_ || Fail(CueFault::OutsideTrack, command);
}

bool SheetReader::OnFile(std::string_view args)
{
    const int line = line_;
    if (!CloseTrack() || !FileHasTrack()) return false;
    line_ = line;
    std::string_view name;
    std::string_view type;
    if (!args.empty() && args.front() == '"') {
        const std::size_t close = args.find('"', 1);
        if (close == std::string_view::npos) return Fail(CueFault::UnclosedQuote);
        name = args.substr(1, close - 1);
        const std::string_view after = args.substr(close + 1);
        if (!after.empty() && !Blank(after.front())) return Fail(CueFault::Malformed, "FILE");
        type = Trim(after);
        if (type.find_first_of(" \t") != std::string_view::npos) return Fail(CueFault::ExtraText, "FILE");
    } else {
        // Unquoted, the name is all but the last word: blanks inside it are kept.
        const std::size_t cut = args.find_last_of(" \t");
        if (cut == std::string_view::npos) return Fail(CueFault::Malformed, "FILE");
        name = Trim(args.substr(0, cut));
        type = args.substr(cut + 1);
    }
    if (type.empty()) return Fail(CueFault::Malformed, "FILE");
    if (Upper(type) != "BINARY") return Fail(CueFault::UnsupportedFileType, ShownText(type));
    const std::optional<std::string> utf8 = NameToUtf8(name);
    if (!utf8) return Fail(CueFault::BadName, ShownText(name));
    NameCheck check = CheckTrackFileName(*utf8);
    if (check.fault != CueFault::None) return Fail(check.fault, ShownText(*utf8));
    for (const CueSheetFile& earlier : result_.sheet.files)
        if (earlier.name == check.name) return Fail(CueFault::FileNamedTwice, check.name, earlier.line);
    result_.sheet.files.push_back({std::move(check.name), line_});
    lastTime_ = 0;
    return true;
}

bool SheetReader::OnTrack(std::string_view args)
{
    if (result_.sheet.files.empty()) return Fail(CueFault::TrackBeforeFile);
    const int line = line_;
    if (!CloseTrack()) return false;
    line_ = line;
    const std::string_view numberText = TakeCueWord(args);
    const std::string_view modeText = TakeCueWord(args);
    const std::optional<int> number = Number(numberText, 2);
    if (!number || *number < 1 || modeText.empty()) return Fail(CueFault::Malformed, "TRACK");
    if (!args.empty()) return Fail(CueFault::ExtraText, "TRACK");
    const std::string upper = Upper(modeText);
    const ModeName* mode = nullptr;
    for (const ModeName& m : kModes)
        if (m.name == upper) mode = &m;
    if (mode == nullptr) return Fail(CueFault::UnsupportedMode, ShownText(modeText));
    const int expected = result_.sheet.tracks.empty() ? *number : result_.sheet.tracks.back().number + 1;
    if (*number != expected) return Fail(CueFault::TrackOutOfOrder, {}, *number, expected);
    CueSheetTrack track;
    track.number = *number;
    track.mode = mode->mode;
    track.line = line_;
    track.file = result_.sheet.files.size() - 1;
    result_.sheet.tracks.push_back(track);
    trackOpen_ = true;
    lastIndex_ = -1;
    pregap_ = false;
    postgap_ = false;
    return true;
}

bool SheetReader::OnIndex(std::string_view args)
{
    if (!InTrack("INDEX")) return false;
    if (postgap_) return Fail(CueFault::Misplaced, "INDEX");
    const std::string_view numberText = TakeCueWord(args);
    const std::string_view timeText = TakeCueWord(args);
    const std::optional<int> number = Number(numberText, 2);
    if (!number || timeText.empty()) return Fail(CueFault::Malformed, "INDEX");
    if (!args.empty()) return Fail(CueFault::ExtraText, "INDEX");
    const std::optional<std::int64_t> time = CueTime(timeText);
    if (!time) return Fail(CueFault::BadTime, ShownText(timeText));
    // A track opens with INDEX 00 (its gap) or INDEX 01; the others follow one by one.
    const bool first = lastIndex_ < 0;
    const bool inOrder = first ? (*number == 0 || *number == 1) : *number == lastIndex_ + 1;
    if (!inOrder) return Fail(CueFault::IndexOutOfOrder, {}, *number, first ? 1 : lastIndex_ + 1);
    if (*time < lastTime_) return Fail(CueFault::TimeGoesBack, std::string(timeText));
    CueSheetTrack& track = result_.sheet.tracks.back();
    if (first) {
        const bool firstOfFile = result_.sheet.tracks.size() == 1 || result_.sheet.tracks[result_.sheet.tracks.size() - 2].file != track.file;
        // A file's first track starts at the file's first byte: what lies before its first INDEX is its gap.
        track.start = firstOfFile ? 0 : *time;
        if (!firstOfFile) {
            const CueSheetTrack& before = result_.sheet.tracks[result_.sheet.tracks.size() - 2];
            if (before.index1 >= track.start) return Fail(CueFault::TrackEmpty, {}, before.number);
        }
    }
    if (*number == 1) track.index1 = *time;
    lastIndex_ = *number;
    lastTime_ = *time;
    return true;
}

bool SheetReader::OnGap(const std::string& command, std::string_view args)
{
    if (!InTrack(command)) return false;
    const std::string_view timeText = TakeCueWord(args);
    if (timeText.empty()) return Fail(CueFault::Malformed, command);
    if (!args.empty()) return Fail(CueFault::ExtraText, command);
    if (!CueTime(timeText)) return Fail(CueFault::BadTime, ShownText(timeText));
    // Gaps are not in the files: the pregap comes before the track's first INDEX, the postgap after INDEX 01.
    bool& seen = command == "PREGAP" ? pregap_ : postgap_;
    const bool placed = command == "PREGAP" ? lastIndex_ < 0 : lastIndex_ >= 1;
    if (seen || !placed) return Fail(CueFault::Misplaced, command);
    seen = true;
    return true;
}

}  // namespace

void ForEachCueLine(std::string_view bytes, const std::function<bool(std::string_view)>& line)
{
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) bytes.remove_prefix(kByteOrderMark.size());
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = at;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        if (!line(bytes.substr(at, end - at))) return;
        // CR LF ends one line; a lone CR or a lone LF ends one too.
        at = end;
        if (at < bytes.size() && bytes[at] == '\r') ++at;
        if (at < bytes.size() && bytes[at] == '\n') ++at;
    }
}

std::string_view TakeCueWord(std::string_view& text)
{
    text = Trim(text);
    std::size_t end = 0;
    while (end < text.size() && !Blank(text[end])) ++end;
    const std::string_view word = text.substr(0, end);
    text = Trim(text.substr(end));
    return word;
}

std::optional<std::int64_t> CueTime(std::string_view text)
{
    const std::size_t first = text.find(':');
    const std::size_t second = first == std::string_view::npos ? first : text.find(':', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const auto minutes = Number(text.substr(0, first), 3);
    const auto seconds = Number(text.substr(first + 1, second - first - 1), 2);
    const auto frames = Number(text.substr(second + 1), 2);
    if (!minutes || !seconds || !frames || *seconds >= 60 || *frames >= kFramesPerSecond) return std::nullopt;
    return (std::int64_t{*minutes} * 60 + *seconds) * kFramesPerSecond + *frames;
}

std::string CueTimeText(std::int64_t sectors)
{
    const std::int64_t frames = sectors % kFramesPerSecond;
    const std::int64_t seconds = sectors / kFramesPerSecond % 60;
    const std::int64_t minutes = sectors / kFramesPerSecond / 60;
    std::string text = std::to_string(minutes);
    if (minutes < 10) text.insert(text.begin(), '0');
    for (const std::int64_t n : {seconds, frames}) {
        text += n < 10 ? ":0" : ":";
        text += std::to_string(n);
    }
    return text;
}

int CueSectorSize(CueMode mode)
{
    for (const ModeName& m : kModes)
        if (m.mode == mode) return m.sectorSize;
    return 0;
}

const char* CueModeName(CueMode mode)
{
    for (const ModeName& m : kModes)
        if (m.mode == mode) return m.name;
    return "";
}

CueSheetResult ReadCueSheet(std::string_view bytes)
{
    SheetReader reader;
    return reader.Run(bytes);
}

bool IsSheetHeadCommand(std::string_view word)
{
    const std::string upper = Upper(word);
    return upper == "CATALOG" || upper == "CDTEXTFILE" || upper == "FILE" || upper == "PERFORMER" || upper == "REM" ||
           upper == "SONGWRITER" || upper == "TITLE";
}

}  // namespace kdx
