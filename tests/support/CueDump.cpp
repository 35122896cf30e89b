#include "tests/support/CueDump.h"

#include "tests/support/RawSectors.h"
#include "tests/support/TempFiles.h"

namespace testsupport {

namespace {

Bytes Sectors(const std::vector<RawKind>& kinds, std::uint32_t firstLba)
{
    Bytes out;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const Bytes s = RawSector(kinds[i], firstLba + static_cast<std::uint32_t>(i));
        out.insert(out.end(), s.begin(), s.end());
    }
    return out;
}

void Append(Bytes& to, const Bytes& bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

}  // namespace

Bytes CueDump::Merged() const
{
    Bytes merged;
    for (const DumpFile& f : files) Append(merged, f.bytes);
    return merged;
}

FileTree CueDump::Tree(const std::string& folder) const
{
    FileTree tree = {{SheetIn(folder), Text(sheet)}};
    for (std::size_t i = 0; i < files.size(); ++i) tree[FileIn(folder, i)] = files[i].bytes;
    return tree;
}

void CueDump::Write(const std::string& folder) const
{
    for (const auto& [path, bytes] : Tree(folder)) WriteFile(path, bytes);
}

Bytes CueDump::Read(const FileTree& tree, const std::string& folder) const
{
    Bytes merged;
    for (std::size_t i = 0; i < files.size(); ++i) Append(merged, tree.at(FileIn(folder, i)));
    return merged;
}

Bytes CueDump::Read(const std::string& folder) const
{
    Bytes merged;
    for (std::size_t i = 0; i < files.size(); ++i) Append(merged, ReadFile(FileIn(folder, i)));
    return merged;
}

Bytes HeadlessSector(bool form2, std::uint32_t lba)
{
    const Bytes whole = RawSector(form2 ? RawKind::Mode2Form2 : RawKind::Mode2Form1, lba);
    return Bytes(whole.begin() + 16, whole.end());
}

CueDump GameDump()
{
    CueDump dump;
    dump.sheetName = "Game (Europe).cue";
    dump.sheet = "REM GENRE Game\r\nCATALOG 0000000000000\r\n"
                 "FILE \"Game (Europe) (Track 1).bin\" BINARY\r\n  TRACK 01 MODE1/2352\r\n    INDEX 01 00:00:00\r\n"
                 "FILE \"Game (Europe) (Track 2).bin\" BINARY\r\n  TRACK 02 AUDIO\r\n    FLAGS DCP\r\n"
                 "    INDEX 00 00:00:00\r\n    INDEX 01 00:00:02\r\n"
                 "FILE \"Game (Europe) (Track 3).bin\" BINARY\r\n  TRACK 03 AUDIO\r\n    INDEX 01 00:00:00\r\n"
                 "FILE \"Game (Europe) (Track 4).bin\" BINARY\r\n  TRACK 04 MODE2/2352\r\n    PREGAP 00:02:00\r\n"
                 "    INDEX 01 00:00:00\r\n";
    Bytes audioLikeData = Sectors(std::vector<RawKind>(5, RawKind::Mode1), 12);
    for (std::size_t i = 0; i < 5; ++i) audioLikeData[i * 2352 + 2065] ^= 0x01;  // their EDC looks wrong
    Bytes audio;
    for (std::uint32_t lba = 17; lba < 21; ++lba) Append(audio, RawSector(RawKind::Audio, lba));
    dump.files = {{"Game (Europe) (Track 1).bin", Sectors(std::vector<RawKind>(12, RawKind::Mode1), 0)},
                  {"Game (Europe) (Track 2).bin", audioLikeData},
                  {"Game (Europe) (Track 3).bin", audio},
                  {"Game (Europe) (Track 4).bin",
                   Sectors({RawKind::Mode2Form1, RawKind::Mode2Form2, RawKind::Mode2Form1, RawKind::Mode2Form2,
                            RawKind::Mode2Form1, RawKind::Mode2Form2},
                           21)}};
    return dump;
}

CueDump MixedDump()
{
    CueDump dump;
    dump.sheetName = "Mixed.cue";
    dump.sheet = "FILE \"Mixed (Track 1).bin\" BINARY\n  TRACK 01 MODE1/2048\n    INDEX 01 00:00:00\n"
                 "  TRACK 02 MODE2/2336\n    INDEX 01 00:00:05\n"
                 "FILE \"Mixed (Track 3).bin\" BINARY\n  TRACK 03 AUDIO\n    INDEX 01 00:00:00\n";
    Bytes first = Noise(5 * 2048, 5);
    for (const auto& [form2, lba] : {std::pair{false, 5u}, {true, 6u}, {false, 7u}, {false, 8u}})
        Append(first, HeadlessSector(form2, lba));
    Bytes audio;
    for (std::uint32_t lba = 9; lba < 12; ++lba) Append(audio, RawSector(RawKind::Audio, lba));
    dump.files = {{"Mixed (Track 1).bin", first}, {"Mixed (Track 3).bin", audio}};
    return dump;
}

}  // namespace testsupport
