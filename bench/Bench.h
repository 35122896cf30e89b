// The benchmark's plan and results: what is run for each workload, and the
// figures each run left.
#pragma once

#include "bench/PatchFiles.h"
#include "bench/Process.h"
#include "bench/Workloads.h"

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct Options {
    bool quick = false;          // every workload ten times smaller; a smoke test of the results
    int reps = 5;                // timed runs of each loop
    int referenceReps = 2;       // timed runs of the slow reference loops (pwrite, literal)
    bool reference = true;       // run the pwrite and literal loops
    bool peers = true;           // run xdelta3 (and bspatch with bsdiff) where installed
    bool bsdiff = false;         // bsdiff makes its patch slowly: only on request, W1 only
    std::vector<std::string> only;  // workloads to run (W1, W2, W3); all when empty
    std::string workDir;         // where the temporary folder goes
    std::string binDir;          // mendrix-cli, bench-floor, bench-window
    std::string results;         // the RESULTS.md whose figures a full run replaces
    std::uint64_t seed = 20240611;
    bool keep = false;           // leave the generated files for a profiler
    std::string beforeApply;     // an earlier mendrix-cli, timed beside this one on the v3 patches
    std::string beforeMake;      // an earlier mendrix-cli, timed beside this one making patches
};

// What a row is measured against.
enum class Versus { None, Floor, Mendrix };

// One loop on one patch: its command, what it must leave, and its figures.
struct Row {
    std::string workload;    // "W1"
    std::string patch;       // "v3", "v3+undo", "image pair"
    std::string loop;        // what runs
    std::string group;       // rows of one group are compared with its floor row
    bool floor = false;      // the group's reference figure: the floor loop every ratio is taken against
    bool bestCandidate = false;  // another minimal loop: the best floor is the faster of the two
    bool mendrix = false;    // one of the program's own paths
    Versus versus = Versus::None;
    int reps = 0;

    std::vector<std::string> argv;
    std::string image;        // the image it changes in place (reset before the checked run)
    std::string startFrom;    // the file that image is reset to
    std::vector<std::string> parts;      // or the track files of an image behind a cue sheet
    std::vector<std::string> partsFrom;  // the files they are reset to
    std::string output;       // or the new file it writes
    std::uint64_t expect = 0; // the digest the image or the output must have afterwards
    std::string checkPatch;   // for make: the patch it writes, applied to a copy to check it

    // Results.
    bool correct = false;
    std::string failure;
    std::vector<double> walls;
    std::vector<double> cpus;     // user + system seconds of the same runs
    long peakRssKb = 0;
    long peakAnonKb = -1;
    double pumpShare = -1;    // the window path: the pump's share of the apply
    long long pumps = 0;
    std::string note;
};

struct WorkloadResult {
    std::string name;
    std::string title;
    std::int64_t imageSize = 0;
    std::size_t records = 0;
    std::vector<std::pair<std::string, std::int64_t>> patchSizes;  // layout, bytes
    std::vector<Row> rows;
};

// Generates, checks and times every workload; prints each row as it is done.
std::vector<WorkloadResult> RunBench(const Options& options);

// The median and the extremes of a row's timed runs (0 when it has none).
double Median(std::vector<double> values);
double Smallest(const std::vector<double>& values);
double Largest(const std::vector<double>& values);

}  // namespace bench
