#include "Bench.h"

#include "Report.h"

#include <algorithm>
#include <chrono>
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

const auto gStart = std::chrono::steady_clock::now();

// Progress on standard error, with the seconds since the start.
template <typename... Args>
void Progress(const char* format, Args... args)
{
    const std::chrono::duration<double> t = std::chrono::steady_clock::now() - gStart;
    std::fprintf(stderr, "[%6.0f s] ", t.count());
    std::fprintf(stderr, format, args...);
    std::fputc('\n', stderr);
}

// A program found on PATH, or "" when it is not installed.
std::string Installed(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t at = 0;
    while (at <= dirs.size()) {
        const std::size_t colon = std::min(dirs.find(':', at), dirs.size());
        const std::string candidate = dirs.substr(at, colon - at) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        at = colon + 1;
    }
    return "";
}

std::string FirstLine(const std::string& text)
{
    const std::string line = text.substr(0, text.find('\n'));
    return line.size() > 160 ? line.substr(0, 160) + "..." : line;
}

void WriteWhole(const std::string& path, const Bytes& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    const bool ok = f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f == nullptr || std::fclose(f) != 0 || !ok) throw std::runtime_error("cannot write " + path);
}

// The files of one workload in the temporary folder.
struct Files {
    std::string dir, base, image, patched;
    std::uint64_t baseDigest = 0, patchedDigest = 0;
    std::int64_t size = 0;
};

// The command that applies a patch with the program (the same options every time).
std::vector<std::string> CliApply(const Options& o, const std::string& patch, const std::string& image, bool undo)
{
    return {o.binDir + "/mendrix-cli", undo ? "undo" : "apply", "--yes", "--quiet", patch, image};
}

void AddApplyRows(const Options& o, const WorkloadResult& w, const Files& f, const PatchFile& p, bool undo,
                  std::vector<Row>& rows)
{
    const std::string layout = LayoutName(p.layout);
    const std::string group = w.name + " " + layout + (undo ? " undo" : "");
    const std::string mode = undo ? "write" : p.undoBytes ? "skip" : "none";
    auto row = [&](const std::string& loop) {
        Row r;
        r.workload = w.name;
        r.patch = layout;
        r.loop = loop;
        r.group = group;
        r.reps = o.reps;
        r.image = f.image;
        r.startFrom = undo ? f.patched : f.base;
        r.expect = undo ? f.baseDigest : f.patchedDigest;
        return r;
    };
    const auto floorArgs = [&](const char* loop) {
        return std::vector<std::string>{o.binDir + "/bench-floor", loop, p.path, f.image, std::to_string(p.recordStart),
                                        std::to_string(p.recordEnd), std::to_string(p.offsetWidth), mode};
    };

    Row floor = row(undo ? "floor: read once, map, memcpy undo bytes" : "floor: read once, map, memcpy");
    floor.floor = true;
    floor.argv = floorArgs("map");
    rows.push_back(floor);

    // The other way to write without a system call per record; on some
    // machines (a fault per page of a map is dear in a virtual machine) it
    // beats the map for records that lie back to back.
    Row merged = row(undo ? "floor: read once, merged pwrites of undo bytes" : "floor: read once, merged pwrites");
    merged.bestCandidate = true;
    merged.versus = Versus::Floor;
    merged.argv = floorArgs("merged");
    rows.push_back(merged);

    Row cli = row(undo ? "mendrix-cli undo" : "mendrix-cli apply");
    cli.mendrix = true;
    cli.versus = Versus::Floor;
    cli.argv = CliApply(o, p.path, f.image, undo);
    rows.push_back(cli);

    Row window = row(undo ? "window path (btnApplyClick), undo ticked" : "window path (btnApplyClick)");
    window.mendrix = true;
    window.versus = Versus::Floor;
    window.argv = {o.binDir + "/bench-window", p.path, f.image};
    if (undo) window.argv.push_back("--undo");
    rows.push_back(window);

    if (!o.beforeApply.empty() && p.layout == Layout::V3 && !undo) {
        Row before = row("before: " + fs::path(o.beforeApply).filename().string() + " apply");
        before.mendrix = true;
        before.versus = Versus::Floor;
        before.argv = {o.beforeApply, "apply", "--yes", p.path, f.image};
        rows.push_back(before);
    }

    // The reference loops once per workload, on the plain version 3.0 patch.
    if (o.reference && p.layout == Layout::V3 && !undo) {
        Row pw = row("ref: patch buffered, one pwrite per record");
        pw.versus = Versus::Floor;
        pw.reps = std::min(o.reps, o.referenceReps);
        pw.argv = floorArgs("pwrite");
        rows.push_back(pw);
        Row literal = row("ref: literal loop (3 reads, seek, write, pump)");
        literal.versus = Versus::Floor;
        literal.reps = pw.reps;
        literal.argv = floorArgs("literal");
        rows.push_back(literal);
    }
}

void AddPeerRows(const Options& o, const WorkloadResult& w, const Files& f, std::vector<Row>& rows)
{
    const std::string xdelta = Installed("xdelta3");
    const std::string size = std::to_string(f.size);
    auto peer = [&](const std::string& loop, const std::string& out) {
        Row r;
        r.workload = w.name;
        r.patch = "same change set";
        r.loop = loop;
        r.group = w.name + " v3";
        r.versus = Versus::Mendrix;
        r.reps = o.reps;
        r.output = out;
        r.expect = f.patchedDigest;
        r.note = "writes a new file";
        return r;
    };
    if (!xdelta.empty()) {
        const std::string delta = f.dir + "/" + w.name + ".xd3";
        Progress("  making the xdelta3 patch of %s", w.name.c_str());
        const RunResult made =
            RunProcess({xdelta, "-e", "-f", "-B", size, "-s", f.base, f.patched, delta}, f.dir);
        if (made.status == 0) {
            Row r = peer("peer: xdelta3 -d", f.dir + "/" + w.name + "-xdelta.out");
            r.argv = {xdelta, "-d", "-f", "-B", size, "-s", f.base, delta, r.output};
            r.note += ", patch " + std::to_string(fs::file_size(delta) >> 10) + " KiB";
            rows.push_back(r);
        } else {
            Progress("  xdelta3 -e failed: %s", FirstLine(made.err).c_str());
        }
    }
    const std::string bsdiff = Installed("bsdiff");
    const std::string bspatch = Installed("bspatch");
    if (o.bsdiff && w.name == "W1" && !bsdiff.empty() && !bspatch.empty()) {
        const std::string delta = f.dir + "/" + w.name + ".bsdiff";
        Progress("  making the bsdiff patch of %s (slow)", w.name.c_str());
        const RunResult made = RunProcess({bsdiff, f.base, f.patched, delta}, f.dir);
        if (made.status == 0) {
            Row r = peer("peer: bspatch", f.dir + "/" + w.name + "-bspatch.out");
            r.argv = {bspatch, f.base, r.output, delta};
            r.note += ", patch made in " + std::to_string(static_cast<int>(made.wall)) + " s";
            rows.push_back(r);
        }
    }
}

// The patch writer of mendrix-cli, where this build has one.
bool HasMake(const Options& o, const std::string& scratch)
{
    static const bool has = [&] {
        const RunResult help = RunProcess({o.binDir + "/mendrix-cli", "--help"}, scratch);
        return help.out.find("\n  make") != std::string::npos;
    }();
    return has;
}

void AddMakeRows(const Options& o, const WorkloadResult& w, const Files& f, std::vector<Row>& rows)
{
    Row read;
    read.workload = w.name;
    read.patch = "image pair";
    read.loop = "floor: read both images once";
    read.group = w.name + " make";
    read.floor = true;
    read.reps = o.reps;
    read.argv = {o.binDir + "/bench-floor", "read2", f.base, f.patched};
    read.correct = true;  // reads only
    rows.push_back(read);

    Row make = read;
    make.floor = false;
    make.mendrix = true;
    make.versus = Versus::Floor;
    make.loop = "mendrix-cli make";
    make.output = f.dir + "/" + w.name + "-made.kdx";
    make.checkPatch = make.output;
    make.image = f.image;
    make.startFrom = f.base;
    make.expect = f.patchedDigest;
    make.argv = {o.binDir + "/mendrix-cli", "make", "--quiet", f.base, f.patched, "-o", make.output};
    make.correct = false;
    rows.push_back(make);

    if (!o.beforeMake.empty()) {
        Row before = make;
        before.loop = "before: " + fs::path(o.beforeMake).filename().string() + " make";
        before.argv = {o.beforeMake, "make", f.base, f.patched, "-o", make.output};
        rows.push_back(before);
    }
}

// The checked run starts from a fresh copy (not synced: that run is not timed).
void Reset(const Row& row)
{
    if (!row.output.empty()) fs::remove(row.output);
    if (!row.image.empty() && !row.startFrom.empty())
        fs::copy_file(row.startFrom, row.image, fs::copy_options::overwrite_existing);
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

WorkloadResult RunWorkload(const Options& o, const Workload& w, const Bytes& base, const Files& shared)
{
    WorkloadResult result;
    result.name = w.name;
    result.title = w.title;
    result.imageSize = static_cast<std::int64_t>(base.size());
    result.records = w.changes.size();

    Files f = shared;
    f.image = f.dir + "/" + w.name + ".img";
    f.patched = f.dir + "/" + w.name + "-patched.img";
    {
        Bytes after = base;
        ApplyInMemory(w, after);
        f.patchedDigest = DigestOf(after);
        WriteWhole(f.patched, after);
    }
    std::vector<Layout> layouts{Layout::V3, Layout::V3Undo};
    if (w.name == "W1") layouts = {Layout::V1, Layout::V2, Layout::V3, Layout::V3Undo};
    std::vector<PatchFile> patches;
    for (const Layout layout : layouts) {
        const std::string name = w.name + "-" + LayoutName(layout) + ".kdx";
        patches.push_back(WritePatch(f.dir + "/" + name, layout, w, base));
        result.patchSizes.emplace_back(LayoutName(layout), patches.back().size);
    }

    std::vector<Row>& rows = result.rows;
    for (const PatchFile& p : patches) {
        AddApplyRows(o, result, f, p, false, rows);
        if (p.undoBytes) AddApplyRows(o, result, f, p, true, rows);
    }
    if (o.peers) AddPeerRows(o, result, f, rows);
    if (w.makeable && HasMake(o, f.dir)) AddMakeRows(o, result, f, rows);

    Progress("  checking %zu loops", rows.size());
    for (Row& row : rows) CheckedRun(o, row, f.dir);
    std::vector<std::vector<double>> shares(rows.size());
    const int most = std::max(o.reps, 1);
    for (int rep = 0; rep < most; ++rep) {
        Progress("  timed round %d of %d", rep + 1, most);
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
    for (const char* ext : {".xd3", ".bsdiff"}) fs::remove(f.dir + "/" + w.name + ext);
    return result;
}

}  // namespace

std::vector<WorkloadResult> RunBench(const Options& o)
{
    const int divisor = o.quick ? 10 : 1;
    const std::int64_t size = kFullImageSize / divisor;
    Files f;
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
