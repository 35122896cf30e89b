#include "bench/Bench.h"

#include "bench/Plan.h"
#include "bench/Report.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace bench {

double Median(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

double Smallest(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

double Largest(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

namespace {

void WriteWhole(const std::string& path, const Bytes& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    const bool ok = f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f == nullptr || std::fclose(f) != 0 || !ok) throw std::runtime_error("cannot write " + path);
}

// The checked run starts from a fresh copy (not synced: that run is not timed).
void Reset(const Row& row)
{
    if (!row.output.empty()) fs::remove(row.output);
    if (!row.image.empty() && !row.startFrom.empty())
        fs::copy_file(row.startFrom, row.image, fs::copy_options::overwrite_existing);
    for (std::size_t i = 0; i < row.parts.size(); ++i)
        fs::copy_file(row.partsFrom[i], row.parts[i], fs::copy_options::overwrite_existing);
}

// W1 as three track files of whole 2352-byte sectors behind a cue sheet,
// padded with zeros to the next whole sector: the files to reset them to,
// and the digest of the patched range.
void WriteSplit(WorkloadFiles& f, const Bytes& base, const Bytes& after)
{
    constexpr std::size_t kSector = 2352;
    const std::size_t sectors = (base.size() + kSector - 1) / kSector;
    const Bytes padding(sectors * kSector - base.size(), 0);
    Digest digest;
    digest.Add(after.data(), after.size());
    digest.Add(padding.data(), padding.size());
    f.splitPatchedDigest = digest.Value();
    std::string sheet;
    std::size_t at = 0;
    for (int track = 1; track <= 3; ++track) {
        const std::size_t n = (track < 3 ? sectors / 3 : sectors - 2 * (sectors / 3)) * kSector;
        const std::string name = "W1 (Track " + std::to_string(track) + ").bin";
        Bytes part(base.begin() + static_cast<std::ptrdiff_t>(at),
                   base.begin() + static_cast<std::ptrdiff_t>(std::min(at + n, base.size())));
        part.resize(n, 0);
        f.splitBase.push_back(f.dir + "/base-" + name);
        f.splitParts.push_back(f.dir + "/" + name);
        WriteWhole(f.splitBase.back(), part);
        sheet += "FILE \"" + name + "\" BINARY\r\n  TRACK 0" + std::to_string(track) +
                 (track == 1 ? " MODE1/2352" : " AUDIO") + "\r\n    INDEX 01 00:00:00\r\n";
        at += n;
    }
    f.splitSheet = f.dir + "/W1.cue";
    WriteWhole(f.splitSheet, Bytes(sheet.begin(), sheet.end()));
}

double PumpShare(const RunResult& r)
{
    const double work = r.Value("work_s");
    const double pumps = r.Value("pumps");
    const double ns = r.Value("pump_ns");
    return work > 0 && pumps >= 0 && ns >= 0 ? pumps * ns * 1e-9 / work : -1;
}

// A run through bench-launch, which measures the program's peak memory.
RunResult MeasuredRun(const Options& o, Row& row, const std::string& scratch)
{
    std::vector<std::string> argv{o.binDir + "/bench-launch"};
    argv.insert(argv.end(), row.argv.begin(), row.argv.end());
    const RunResult r = RunProcess(argv, scratch);
    row.peakRssKb = static_cast<long>(r.Value("peak_rss_kb", 0));
    row.peakAnonKb = static_cast<long>(r.Value("peak_anon_kb", -1));
    return r;
}

// The first run of a row: from a fresh image, measured for memory, its result checked.
void CheckedRun(const Options& o, Row& row, const std::string& scratch)
{
    if (row.floor && row.output.empty() && row.image.empty()) {  // a read-only floor
        row.correct = MeasuredRun(o, row, scratch).status == 0;
        return;
    }
    Reset(row);
    const RunResult r = MeasuredRun(o, row, scratch);
    row.pumps = static_cast<long long>(r.Value("pumps", 0));
    if (r.status != 0) {
        row.failure = "exit status " + std::to_string(r.status) + ": " + FirstLine(r.err + r.out);
        return;
    }
    if (!row.parts.empty()) {
        row.correct = DigestOfFiles(row.parts) == row.expect;
        if (!row.correct) row.failure = "the track files differ from the expected image";
        return;
    }
    std::string result = row.output.empty() ? row.image : row.output;
    if (!row.checkPatch.empty()) {
        // A made patch is right when it turns the old image into the new one.
        const RunResult applied = RunProcess(CliApply(o, row.checkPatch, row.image, false), scratch);
        if (applied.status != 0) {
            row.failure = "its patch does not apply: " + FirstLine(applied.err);
            return;
        }
        result = row.image;
    }
    row.correct = DigestOfFile(result) == row.expect;
    if (!row.correct) row.failure = "the result differs from the expected image";
}

void TimedRun(Row& row, const std::string& scratch, std::vector<double>& shares)
{
    if (!row.output.empty()) fs::remove(row.output);
    if (!row.image.empty()) SyncFile(row.image);
    for (const std::string& part : row.parts) SyncFile(part);
    const RunResult r = RunProcess(row.argv, scratch);
    if (r.status != 0) {
        row.failure = "a timed run failed: " + FirstLine(r.err);
        row.correct = false;
        return;
    }
    row.walls.push_back(r.wall);
    row.cpus.push_back(r.cpu);
    const double share = PumpShare(r);
    if (share >= 0) shares.push_back(share);
}

WorkloadResult RunWorkload(const Options& o, const Workload& w, const Bytes& base, const WorkloadFiles& shared)
{
    WorkloadResult result;
    result.name = w.name;
    result.title = w.title;
    result.imageSize = static_cast<std::int64_t>(base.size());
    result.records = w.changes.size();

    WorkloadFiles f = shared;
    f.image = f.dir + "/" + w.name + ".img";
    f.patched = f.dir + "/" + w.name + "-patched.img";
    {
        Bytes after = base;
        ApplyInMemory(w, after);
        f.patchedDigest = DigestOf(after);
        WriteWhole(f.patched, after);
        if (w.name == "W1") WriteSplit(f, base, after);
    }
    std::vector<Layout> layouts{Layout::V3, Layout::V3Undo};
    if (w.name == "W1") layouts = {Layout::V1, Layout::V2, Layout::V3, Layout::V3Undo};
    std::vector<PatchFile> patches;
    for (const Layout layout : layouts) {
        const std::string name = w.name + "-" + LayoutName(layout) + ".kdx";
        patches.push_back(WritePatch(f.dir + "/" + name, layout, w, base));
        result.patchSizes.emplace_back(LayoutName(layout), patches.back().size);
    }

    result.rows = PlanRows(o, result, f, patches, w.makeable);
    std::vector<Row>& rows = result.rows;

    Progress("  checking %zu loops", rows.size());
    for (Row& row : rows) CheckedRun(o, row, f.dir);
    std::vector<std::vector<double>> shares(rows.size());
    for (int rep = 0; rep < o.reps; ++rep) {
        Progress("  timed round %d of %d", rep + 1, o.reps);
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].correct && rep < rows[i].reps) TimedRun(rows[i], f.dir, shares[i]);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i].pumpShare = shares[i].empty() ? -1 : Median(shares[i]);

    if (o.keep) return result;
    for (const PatchFile& p : patches) fs::remove(p.path);
    for (const Row& row : rows) {
        if (!row.output.empty()) fs::remove(row.output);
    }
    fs::remove(f.image);
    fs::remove(f.patched);
    for (const std::vector<std::string>* files : {&f.splitParts, &f.splitBase})
        for (const std::string& file : *files) fs::remove(file);
    if (!f.splitSheet.empty()) fs::remove(f.splitSheet);
    for (const char* ext : {".xd3", ".bsdiff"}) fs::remove(f.dir + "/" + w.name + ext);
    return result;
}

}  // namespace

std::vector<WorkloadResult> RunBench(const Options& o)
{
    const int divisor = o.quick ? 10 : 1;
    const std::int64_t size = kFullImageSize / divisor;
    WorkloadFiles f;
    f.dir = (fs::path(o.workDir) / ("mendrix-bench-" + std::to_string(getpid()))).string();
    fs::create_directories(f.dir);
    f.base = f.dir + "/base.img";
    f.size = size;

    std::vector<WorkloadResult> results;
    try {
        Progress("bench: image of %lld bytes in %s", static_cast<long long>(size), f.dir.c_str());
        Bytes base(static_cast<std::size_t>(size));
        Rng(o.seed).Fill(base.data(), base.size());
        f.baseDigest = DigestOf(base);
        WriteWhole(f.base, base);

        const auto wanted = [&](const char* name) {
            return o.only.empty() || std::find(o.only.begin(), o.only.end(), name) != o.only.end();
        };
        const char* names[3] = {"W1", "W2", "W3"};
        const std::uint64_t seeds[3] = {o.seed + 1, o.seed + 2, o.seed + 3};
        for (int i = 0; i < 3; ++i) {
            if (!wanted(names[i])) continue;
            Progress("bench: %s", names[i]);
            const Workload w = i == 0   ? Translation(size, divisor, seeds[i])
                               : i == 1 ? FullRewrite(size, seeds[i])
                                        : Scattered(size, divisor, seeds[i]);
            results.push_back(RunWorkload(o, w, base, f));
            PrintWorkload(stdout, results.back());
        }
    } catch (...) {
        fs::remove_all(f.dir);
        throw;
    }
    if (o.keep) std::fprintf(stderr, "bench: files kept in %s\n", f.dir.c_str());
    else fs::remove_all(f.dir);
    return results;
}

}  // namespace bench
