// What the benchmark ran on, and how busy the rest of the machine kept it.
#pragma once

#include <chrono>
#include <string>

namespace bench {

struct MachineInfo {
    long cores = 0;          // nproc
    std::string cpu;         // the model name
    long memoryMiB = 0;
    std::string disk;        // the file system of the work folder: device, type, size, free
    std::string kernel;
};

MachineInfo DescribeMachine(const std::string& workDir);

// Measures, over a stretch of time, how many cores other processes kept busy:
// the machine's busy time less this process's and its children's.
class LoadMeter {
public:
    LoadMeter();
    // Average cores busy with other work since construction.
    double OtherBusyCores() const;
    // The one-minute load average now.
    static double LoadAverage();

private:
    double busy_;
    double own_;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace bench
