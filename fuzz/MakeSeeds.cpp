// Writes the seed corpora of the fuzz targets: patches of every version and
// every shape the format allows, built byte by byte by the test builder,
// and a few damaged ones named after their defect.
//   make-seeds OUT   ->  OUT/load/*.kdx and OUT/apply/* (control byte + patch)
#include "ApplyInput.h"

#include "tests/support/PatchBuilder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

using testsupport::Bytes;
using testsupport::PatchSpec;
using testsupport::Rec;

namespace {

Bytes Block(std::int64_t position)
{
    const Bytes image = fuzzinput::ImageOfShape(7);
    return Bytes(image.begin() + position, image.begin() + position + 1024);
}

PatchSpec Spec(int version, std::vector<Rec> records)
{
    PatchSpec spec;
    spec.version = version;
    spec.description = "seed patch v" + std::to_string(version);
    spec.records = std::move(records);
    return spec;
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

    add("v1_records.kdx", BuildPatch(Spec(1, SomeRecords(false))));
    add("v1_no_data.kdx", BuildPatch(Spec(1, {})));
    add("v1_grows_image.kdx", BuildPatch(Spec(1, {{70000, {1, 2, 3}, {}}})));
    add("v1_top_bit_offset.kdx", BuildPatch(Spec(1, {{0x80000000ll, {9}, {}}})));

    PatchSpec v2 = Spec(2, SomeRecords(false));
    v2.imageSize = static_cast<std::uint32_t>(fuzzinput::kShapeLengths[4]);
    v2.block = Block(37664);
    add("v2_fits.kdx", BuildPatch(v2));
    v2.diz = "Seed text\r\nsecond line\r\n";
    add("v2_diz.kdx", BuildPatch(v2));
    v2.diz = "";
    add("v2_empty_diz.kdx", BuildPatch(v2));
    v2.dizLength = 0xFFFFFFFFu;
    add("v2_diz_length_before_start.kdx", BuildPatch(v2));

    PatchSpec v3 = Spec(3, SomeRecords(false));
    add("v3_plain.kdx", BuildPatch(v3));
    v3.blockCheckFlag = 1;
    v3.block = Block(37664);
    add("v3_block.kdx", BuildPatch(v3));
    v3.imageType = 1;
    v3.block = Block(32928);
    add("v3_gi_block.kdx", BuildPatch(v3));
    PatchSpec undo = Spec(3, SomeRecords(true));
    undo.undoFlag = 1;
    undo.diz = "undo seed";
    add("v3_undo_diz.kdx", BuildPatch(undo));
    undo.dizLength = 0xFFFF;
    add("v3_diz_length_65535.kdx", BuildPatch(undo));
    add("v3_negative_offset.kdx", BuildPatch(Spec(3, {{0, {1}, {}}, {-5, {2}, {}}})));
    add("v3_past_4gib.kdx", BuildPatch(Spec(3, {{(std::int64_t{1} << 32) + 5, {7, 7}, {}}})));
    add("v3_near_int64_max.kdx", BuildPatch(Spec(3, {{INT64_MAX - 1, {1, 2, 3}, {}}})));

    Bytes cut = BuildPatch(Spec(3, SomeRecords(false)));
    cut.pop_back();
    add("truncated_record.kdx", cut);
    PatchSpec runs = Spec(2, {{0, {1, 2, 3, 4}, {}}});
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
    int count = 0;
    for (const auto& [name, bytes] : Patches()) {
        Put(root / "load" / name, bytes);
        for (const std::uint8_t control : controls) {
            Bytes input{control};
            input.insert(input.end(), bytes.begin(), bytes.end());
            Put(root / "apply" / (name + "." + std::to_string(control)), input);
        }
        ++count;
    }
    std::printf("make-seeds: %d patches into %s\n", count, root.string().c_str());
    return 0;
}
