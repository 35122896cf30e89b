// Runs a program as a child process and measures it: wall time from the
// spawn to the reaping, CPU time and peak memory.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace bench {

struct RunResult {
    int status = -1;          // the exit status, or -1 when it did not exit normally
    double wall = 0;          // seconds, spawn to reap
    double cpu = 0;           // user + system seconds
    std::string out, err;     // what it printed
    std::map<std::string, std::string> values;  // its "key=value" lines

    double Value(const std::string& key, double otherwise = -1) const;
};

// Runs argv[0] (a path) with the arguments; standard input is /dev/null and
// the output goes through files in scratchDir.
RunResult RunProcess(const std::vector<std::string>& argv, const std::string& scratchDir);

// Writes a file's dirty pages to disk so that every timed run starts from
// a clean page cache; false when the file cannot be opened or synced.
bool SyncFile(const std::string& path);

}  // namespace bench
