// bench-launch: runs a program and reports its peak memory.
//
//   bench-launch PROGRAM [ARGS...]
//
// The benchmark itself holds the images in memory, and a child started
// straight from it inherits that high-water mark in its rusage. This small
// process starts the program instead, so the peak it reports is the
// program's own. It samples the program's anonymous memory (RssAnon: heap,
// stacks, buffers; not the pages of a memory-mapped file) every half
// millisecond. After the program has ended it appends "peak_rss_kb=" (all
// resident pages, mapped file pages included) and "peak_anon_kb=" to the
// standard output they share, and exits with the program's status.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

long AnonKb(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("RssAnon:", 0) == 0) return std::strtol(line.c_str() + 8, nullptr, 10);
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-launch PROGRAM [ARGS...]\n");
        return 2;
    }
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid < 0) return 127;
    if (pid == 0) {
        execv(argv[1], argv + 1);
        _exit(127);
    }
    long peakAnon = -1;
    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t done = wait4(pid, &status, WNOHANG, &usage);
        if (done == pid) break;
        if (done < 0) return 127;
        const long anon = AnonKb(pid);
        if (anon > peakAnon) peakAnon = anon;
        usleep(500);
    }
    std::printf("peak_rss_kb=%ld\npeak_anon_kb=%ld\n", usage.ru_maxrss, peakAnon);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 127;
}
