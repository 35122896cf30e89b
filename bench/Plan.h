// What is run for each workload: the rows of its table, each with its
// command and the result it must leave.
#pragma once

#include "bench/Bench.h"

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// The files of one workload in the temporary folder.
struct WorkloadFiles {
    std::string dir, base, image, patched;
    std::uint64_t baseDigest = 0, patchedDigest = 0;
    std::int64_t size = 0;
    // W1 also as three track files behind a cue sheet (the image padded to whole sectors).
    std::string splitSheet;
    std::vector<std::string> splitParts, splitBase;
    std::uint64_t splitPatchedDigest = 0;
};

// Progress on standard error, with the seconds since the start.
void Progress(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The first line of a program's output, cut short.
std::string FirstLine(const std::string& text);
// The command that applies a patch with the program (the same options every time).
std::vector<std::string> CliApply(const Options& o, const std::string& patch, const std::string& image, bool undo);

// The rows of a workload: for each patch the two floors, mendrix-cli and the
// window's path (and undo where the patch has undo data), the reference
// loops once, the peers, and make where the program has it.
std::vector<Row> PlanRows(const Options& o, const WorkloadResult& w, const WorkloadFiles& f,
                          const std::vector<PatchFile>& patches, bool makeable);

}  // namespace bench
