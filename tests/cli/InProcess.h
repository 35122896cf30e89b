// mendrix-cli's commands run in this process on a file system the test
// hands in, with what they print on standard output and standard error.
#pragma once

#include "cli/Commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace clitest {

// Names for files in memory (relative: on Windows a leading slash starts an option).
inline const std::string kImage = "d/img.bin";
inline const std::string kPatch = "d/p.kdx";
inline const std::string kBackup = "d/back.kdx";

struct Said {
    int status = -1;
    std::string out;
    std::string err;
};

// mendrix-cli ARGS on files.
inline Said RunCli(const std::vector<std::string>& args, kdx::FileSystem& files)
{
    std::vector<std::string> all = {"mendrix-cli"};
    all.insert(all.end(), args.begin(), args.end());
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    Said said;
    said.status = cli::Run(all, files);
    said.out = ::testing::internal::GetCapturedStdout();
    said.err = ::testing::internal::GetCapturedStderr();
    return said;
}

}  // namespace clitest
