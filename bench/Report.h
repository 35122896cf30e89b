// The benchmark's output: a table per workload on standard output, the
// targets met or missed, and the figures block of RESULTS.md.
#pragma once

#include "bench/Bench.h"
#include "bench/Machine.h"

#include <cstdio>
#include <string>
#include <vector>

namespace bench {

void PrintWorkload(std::FILE* out, const WorkloadResult& workload);

struct Target {
    std::string what;
    std::string figure;  // the measured ratio or share, as text
    bool measured = false;
    bool met = false;
};

// The speed targets, judged on this run's figures.
std::vector<Target> JudgeTargets(const std::vector<WorkloadResult>& results);
void PrintTargets(std::FILE* out, const std::vector<Target>& targets);

// True when every row that ran left the expected result.
bool AllCorrect(const std::vector<WorkloadResult>& results);

struct RunContext {
    MachineInfo machine;
    std::string command;     // how this run was started
    std::string date;
    double otherCores = 0;   // cores kept busy by other processes, on average
    double loadBefore = 0, loadAfter = 0;
    double seconds = 0;      // the whole run
    int reps = 0;
};

// Replaces the text between the "bench:begin" and "bench:end" markers of
// the file at path with this run's figures (the whole file when it has no
// markers). False when the file cannot be written.
bool WriteResults(const std::string& path, const std::vector<WorkloadResult>& results,
                  const std::vector<Target>& targets, const RunContext& context);

}  // namespace bench
