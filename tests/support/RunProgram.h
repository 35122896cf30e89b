// Runs a program with arguments and collects its exit status and output.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs program with args (no shell), standard input from /dev/null unless input is given.
// A fileSizeLimit of 0 or more is the program's RLIMIT_FSIZE: no file it writes may grow past it.
RunResult Run(const std::string& program, const std::vector<std::string>& args, const std::string& input = "",
              long long fileSizeLimit = -1);

}  // namespace testsupport
