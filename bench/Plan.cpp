#include "bench/Plan.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace bench {

void Progress(const char* format, ...)
{
    static const auto start = std::chrono::steady_clock::now();
    const std::chrono::duration<double> t = std::chrono::steady_clock::now() - start;
    std::fprintf(stderr, "[%6.0f s] ", t.count());
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

std::string FirstLine(const std::string& text)
{
    const std::string line = text.substr(0, text.find('\n'));
    return line.size() > 160 ? line.substr(0, 160) + "..." : line;
}

std::vector<std::string> CliApply(const Options& o, const std::string& patch, const std::string& image, bool undo)
{
    return {o.binDir + "/mendrix-cli", undo ? "undo" : "apply", "--yes", "--quiet", patch, image};
}

namespace {

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

void AddApplyRows(const Options& o, const WorkloadResult& w, const WorkloadFiles& f, const PatchFile& p, bool undo,
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

    // The same patch through a cue sheet, the image split into three track files.
    if (!f.splitSheet.empty() && p.layout == Layout::V3 && !undo) {
        Row split = row("mendrix-cli apply, three track files (cue)");
        split.mendrix = true;
        split.versus = Versus::Mendrix;
        split.argv = CliApply(o, p.path, f.splitSheet, false);
        split.image.clear();
        split.startFrom.clear();
        split.parts = f.splitParts;
        split.partsFrom = f.splitBase;
        split.expect = f.splitPatchedDigest;
        rows.push_back(split);
    }

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

void AddPeerRows(const Options& o, const WorkloadResult& w, const WorkloadFiles& f, std::vector<Row>& rows)
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

void AddMakeRows(const Options& o, const WorkloadResult& w, const WorkloadFiles& f, std::vector<Row>& rows)
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

}  // namespace

std::vector<Row> PlanRows(const Options& o, const WorkloadResult& w, const WorkloadFiles& f,
                          const std::vector<PatchFile>& patches, bool makeable)
{
    std::vector<Row> rows;
    for (const PatchFile& p : patches) {
        AddApplyRows(o, w, f, p, false, rows);
        if (p.undoBytes) AddApplyRows(o, w, f, p, true, rows);
    }
    if (o.peers) AddPeerRows(o, w, f, rows);
    if (makeable && HasMake(o, f.dir)) AddMakeRows(o, w, f, rows);
    return rows;
}

}  // namespace bench
