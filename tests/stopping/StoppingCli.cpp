// mendrix-cli for the tests of an interrupted apply: the same commands on the
// system's files, except that the process is killed just before its N-th
// write to one file, and that this file is never mapped, so that records
// reach it write by write. Built for the tests only, never installed.
//   stopping-cli FILE N ARGUMENTS...   (ARGUMENTS: as mendrix-cli takes them)
#include "cli/Commands.h"
#include "tests/support/FaultyFiles.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: stopping-cli FILE N ARGUMENTS...\n");
        return 2;
    }
    using testsupport::FileOp;
    testsupport::FaultyFiles files;
    files.Fail(FileOp::Map, testsupport::Named(argv[1]), ENOMEM, 0);
    files.Before(FileOp::Write, testsupport::Named(argv[1]), [] { std::raise(SIGKILL); }, std::atoi(argv[2]));
    std::vector<std::string> arguments = {argv[0]};
    arguments.insert(arguments.end(), argv + 3, argv + argc);
    return cli::Run(arguments, files);
}
