// Writes the seed corpora of the fuzz targets: patches of every version and
// every shape the format allows, built byte by byte by the test builder,
// and a few damaged ones named after their defect.
// The library's own patch writer adds the patches it makes.
//   make-seeds OUT   ->  OUT/load/*.kdx, OUT/apply/* (control byte + patch),
//                        OUT/writer/* (options, texts, image shape, changes)
#include "fuzz/ApplyInput.h"

#include "kdx/MakePatch.h"
#include "tests/support/PatchBuilder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using testsupport::Bytes;
using testsupport::PatchLayout;
using testsupport::Rec;

namespace {

Bytes Block(std::int64_t position)
{
    const Bytes image = fuzzinput::ImageOfShape(7);
    return Bytes(image.begin() + position, image.begin() + position + 1024);
}

PatchLayout Seed(int version, std::vector<Rec> records)
{
    PatchLayout layout;
    layout.version = version;
    layout.description = "seed patch v" + std::to_string(version);
    layout.records = std::move(records);
    return layout;
}

std::vector<Rec> SomeRecords(bool undo)
{
    std::vector<Rec> recs = {{16, {0x41, 0x42, 0x43}, {}}, {2, {}, {}}, {17, {0x58, 0x59}, {}}, {4000, Bytes(40, 0xAB), {}}};
    if (undo)
        for (Rec& r : recs) r.undo = Bytes(r.bytes.size(), 0x11);
    return recs;
}

std::vector<std::pair<std::string, Bytes>> Patches()
{
    std::vector<std::pair<std::string, Bytes>> out;
    const auto add = [&](const std::string& name, const Bytes& bytes) { out.emplace_back(name, bytes); };

    add("v1_records.kdx", BuildPatch(Seed(1, SomeRecords(false))));
    add("v1_no_data.kdx", BuildPatch(Seed(1, {})));
    add("v1_grows_image.kdx", BuildPatch(Seed(1, {{70000, {1, 2, 3}, {}}})));
    add("v1_top_bit_offset.kdx", BuildPatch(Seed(1, {{0x80000000ll, {9}, {}}})));

    PatchLayout v2 = Seed(2, SomeRecords(false));
    v2.imageSize = static_cast<std::uint32_t>(fuzzinput::kShapeLengths[4]);
    v2.block = Block(37664);
    add("v2_fits.kdx", BuildPatch(v2));
    v2.diz = "Seed text\r\nsecond line\r\n";
    add("v2_diz.kdx", BuildPatch(v2));
    v2.diz = "";
    add("v2_empty_diz.kdx", BuildPatch(v2));
    v2.dizLength = 0xFFFFFFFFu;
    add("v2_diz_length_before_start.kdx", BuildPatch(v2));

    PatchLayout v3 = Seed(3, SomeRecords(false));
    add("v3_plain.kdx", BuildPatch(v3));
    v3.blockCheckFlag = 1;
    v3.block = Block(37664);
    add("v3_block.kdx", BuildPatch(v3));
    v3.imageType = 1;
    v3.block = Block(32928);
    add("v3_gi_block.kdx", BuildPatch(v3));
    PatchLayout undo = Seed(3, SomeRecords(true));
    undo.undoFlag = 1;
    undo.diz = "undo seed";
    add("v3_undo_diz.kdx", BuildPatch(undo));
    undo.dizLength = 0xFFFF;
    add("v3_diz_length_65535.kdx", BuildPatch(undo));
    add("v3_negative_offset.kdx", BuildPatch(Seed(3, {{0, {1}, {}}, {-5, {2}, {}}})));
    add("v3_past_4gib.kdx", BuildPatch(Seed(3, {{(std::int64_t{1} << 32) + 5, {7, 7}, {}}})));
    add("v3_near_int64_max.kdx", BuildPatch(Seed(3, {{INT64_MAX - 1, {1, 2, 3}, {}}})));

    Bytes cut = BuildPatch(Seed(3, SomeRecords(false)));
    cut.pop_back();
    add("truncated_record.kdx", cut);
    PatchLayout runs = Seed(2, {{0, {1, 2, 3, 4}, {}}});
    runs.diz = "x";
    Bytes runsPast = BuildPatch(runs);
    runsPast[1084 + 4] = 40;  // the record's count now reaches into the trailer
    add("record_runs_into_trailer.kdx", runsPast);
    add("not_kdx.kdx", testsupport::Text("MZ\x90"));
    add("magic_only.kdx", testsupport::Text("KDX"));
    add("method_3.kdx", Bytes{'K', 'D', 'X', '4', '0', 3});
    add("empty.kdx", {});
    return out;
}

// Writer inputs: flags (version - 1, undo 4, block 8, GI 16, text 32),
// a description, a text, the original's shape, and changes (a 24-bit
// offset, a count - 1, the bytes).
std::vector<std::pair<std::string, Bytes>> WriterInputs()
{
    struct Change {
        std::uint32_t offset;
        Bytes bytes;
    };
    const auto input = [](std::uint8_t flags, const std::string& description, const std::string& diz, int shape,
                          const std::vector<Change>& changes) {
        Bytes in{flags, static_cast<std::uint8_t>(description.size())};
        in.insert(in.end(), description.begin(), description.end());
        in.push_back(static_cast<std::uint8_t>(diz.size()));
        in.insert(in.end(), diz.begin(), diz.end());
        in.push_back(static_cast<std::uint8_t>(shape));
        for (const Change& c : changes) {
            in.push_back(static_cast<std::uint8_t>(c.offset >> 16));
            in.push_back(static_cast<std::uint8_t>(c.offset >> 8));
            in.push_back(static_cast<std::uint8_t>(c.offset));
            in.push_back(static_cast<std::uint8_t>(c.bytes.size() - 1));
            in.insert(in.end(), c.bytes.begin(), c.bytes.end());
        }
        return in;
    };
    const std::vector<Change> some = {{5, {1, 2, 3}}, {300, Bytes(64, 0xEE)}, {364, {9}}, {3000, {7, 7}}};
    const std::vector<Change> grows = {{4096 + 100, {1, 2, 3, 4}}};
    const std::vector<Change> endsInDiz = {{60, {'D', 'I', 'Z', 1, 0, 0, 0}}};
    return {
        {"v1_some", input(0, "version one", "", 3, some)},
        {"v2_some_diz", input(1 | 32, "version two", "Seed text\r\n", 4, some)},
        {"v2_grows", input(1, "", "", 3, grows)},
        {"v3_undo_block", input(2 | 4 | 8, "undo and block", "", 4, some)},
        {"v3_gi_block_diz", input(2 | 8 | 16 | 32, "GI", "x", 5, some)},
        {"v3_undo_grows", input(2 | 4, "", "", 2, grows)},
        {"v2_records_end_in_diz", input(1, "", "", 4, endsInDiz)},
        {"v1_refused_undo", input(0 | 4, "", "", 3, some)},
        {"v3_refused_shrink", input(2 | 64, "", "", 3, some)},
        {"v3_identical", input(2, "", "", 3, {})},
    };
}

// Patches made by the library's writer from an image and a changed copy.
std::vector<std::pair<std::string, Bytes>> WrittenPatches(const std::filesystem::path& scratch)
{
    std::filesystem::create_directories(scratch);
    const Bytes original = fuzzinput::ImageOfShape(4);
    Bytes modified = original;
    for (std::size_t i = 100; i < 400; i += 3) modified[i] ^= 0x5A;
    modified.resize(modified.size() + 10, 0x33);
    const auto put = [](const std::filesystem::path& p, const Bytes& b) {
        std::ofstream f(p, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    };
    put(scratch / "original.bin", original);
    put(scratch / "modified.bin", modified);
    put(scratch / "file_id.diz", testsupport::Text("Made by the writer\r\n"));

    std::vector<std::pair<std::string, Bytes>> out;
    for (int version = 1; version <= 3; ++version) {
        for (const bool extras : {false, true}) {
            kdx::MakeOptions o;
            o.original = (scratch / "original.bin").string();
            o.modified = (scratch / "modified.bin").string();
            o.patch = (scratch / "made.kdx").string();
            o.version = version;
            o.description = "made v" + std::to_string(version);
            o.undo = extras && version == 3;
            o.blockCheck = extras && version == 3;
            if (extras && version > 1) o.dizPath = (scratch / "file_id.diz").string();
            std::filesystem::remove(o.patch);
            kdx::NoObserver none;
            const kdx::MakeResult r = kdx::MakePatch(o, none, kdx::SystemFiles());
            if (!r.ok()) throw std::runtime_error("the writer refused a seed (status " + std::to_string(static_cast<int>(r.status)) + ")");
            std::ifstream f(o.patch, std::ios::binary);
            const Bytes bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
            out.emplace_back("made_v" + std::to_string(version) + (extras ? "_extras.kdx" : ".kdx"), bytes);
        }
    }
    std::filesystem::remove_all(scratch);
    return out;
}

// Cue sheets: good ones of every shape and bad ones named after their defect;
// the first byte chooses the track files' lengths (see CueSheetFuzzer.cpp).
std::vector<std::pair<std::string, std::string>> CueSheets()
{
    const std::string track1 = "FILE \"Game (Europe) [!] (Track 1).bin\" BINARY\r\n  TRACK 01 MODE1/2352\r\n"
                               "    INDEX 01 00:00:00\r\n";
    const std::string audio2 = "FILE \"Game (Europe) [!] (Track 2).bin\" BINARY\r\n  TRACK 02 AUDIO\r\n"
                               "    INDEX 00 00:00:00\r\n    INDEX 01 00:02:00\r\n";
    return {
        {"split_mode1_audio.cue", track1 + audio2},
        {"one_file_mixed.cue", "REM COMMENT x\nCATALOG 0000000000000\nTITLE \"Disc\"\nFILE Disc.bin BINARY\n"
                               "  TRACK 01 MODE1/2048\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    FLAGS DCP\n"
                               "    PREGAP 00:02:00\n    INDEX 00 01:00:00\n    INDEX 01 01:02:00\n"
                               "    POSTGAP 00:01:00\n  TRACK 03 AUDIO\n    ISRC ABCDE1234567\n    INDEX 01 02:00:00\n"},
        {"mode2_bom_cr.cue", "\xEF\xBB\xBF" "file sub\\data.bin binary\r  track 1 mode2/2352\r    index 1 00:00:00\r"
                             "FILE \"sub/Form2.bin\" BINARY\r  TRACK 2 MODE2/2336\r    INDEX 01 00:00:00\r"},
        {"windows1252_name.cue", "FILE \"Caf\xE9 \x96 (Track 1).bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"},
        {"wave_file.cue", "FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"},
        {"absolute_name.cue", "FILE \"C:\\Users\\x.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"},
        {"climbing_name.cue", "FILE \"sub/../../x.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"},
        {"named_twice.cue", track1 + track1},
        {"track_out_of_order.cue", track1 + "  TRACK 03 AUDIO\n    INDEX 01 00:04:00\n"},
        {"index_without_01.cue", "FILE a.bin BINARY\n  TRACK 01 AUDIO\n    INDEX 00 00:00:00\n    INDEX 02 00:01:00\n"},
        {"time_goes_back.cue", track1 + "  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n"},
        {"utf16.cue", std::string("\xFF\xFE" "F\0I\0L\0E\0", 10)},
    };
}

void Put(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-seeds OUT\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    std::filesystem::create_directories(root / "load");
    std::filesystem::create_directories(root / "apply");
    // Answers and images: everything Yes on the image the patches were made
    // for (normal and GI block), No to both, and the undo tick.
    const std::uint8_t controls[] = {
        fuzzinput::kSizeYes | fuzzinput::kBlockYes | (4 << fuzzinput::kShapeShift),
        fuzzinput::kSizeYes | fuzzinput::kBlockYes | (5 << fuzzinput::kShapeShift),
        fuzzinput::kSizeYes | fuzzinput::kBlockYes | fuzzinput::kUndoTicked | (2 << fuzzinput::kShapeShift),
        0 | (3 << fuzzinput::kShapeShift),
    };
    std::filesystem::create_directories(root / "writer");
    for (const auto& [name, bytes] : WriterInputs()) Put(root / "writer" / name, bytes);
    std::vector<std::pair<std::string, Bytes>> patches = Patches();
    for (auto& made : WrittenPatches(root / "scratch")) patches.push_back(std::move(made));
    int count = 0;
    for (const auto& [name, bytes] : patches) {
        Put(root / "load" / name, bytes);
        for (const std::uint8_t control : controls) {
            Bytes input{control};
            input.insert(input.end(), bytes.begin(), bytes.end());
            Put(root / "apply" / (name + "." + std::to_string(control)), input);
        }
        ++count;
    }
    std::filesystem::create_directories(root / "cue_sheet_fuzzer");
    for (const auto& [name, sheet] : CueSheets()) {
        for (const std::uint8_t control : {0x00, 0x05, 0x0A, 0x07}) {
            Bytes input{control};
            input.insert(input.end(), sheet.begin(), sheet.end());
            Put(root / "cue_sheet_fuzzer" / (name + "." + std::to_string(control)), input);
        }
    }
    std::printf("make-seeds: %d patches into %s\n", count, root.string().c_str());
    return 0;
}
