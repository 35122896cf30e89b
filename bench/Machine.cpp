#include "bench/Machine.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace bench {

namespace {

// Busy seconds of all cores since boot (everything but idle and I/O wait).
double BusySeconds()
{
    std::ifstream in("/proc/stat");
    std::string cpu;
    unsigned long long user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0, steal = 0;
    in >> cpu >> user >> nice >> system >> idle >> iowait >> irq >> softirq >> steal;
    return static_cast<double>(user + nice + system + irq + softirq + steal) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

double OwnSeconds()
{
    rusage self{}, children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    return Seconds(self.ru_utime) + Seconds(self.ru_stime) + Seconds(children.ru_utime) + Seconds(children.ru_stime);
}

}  // namespace

MachineInfo DescribeMachine(const std::string& workDir)
{
    MachineInfo m;
    m.cores = sysconf(_SC_NPROCESSORS_ONLN);
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) == 0) {
            m.cpu = line.substr(line.find(':') + 2);
            break;
        }
    }
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    long kb = 0;
    if (meminfo >> key >> kb) m.memoryMiB = kb / 1024;

    // The mount that holds the work folder: the longest mount point that prefixes it.
    std::ifstream mounts("/proc/mounts");
    std::string device, point, type, best;
    while (mounts >> device >> point >> type && std::getline(mounts, line)) {
        const bool holds = workDir.rfind(point, 0) == 0 && (point == "/" || workDir.size() == point.size() ||
                                                            workDir[point.size()] == '/');
        if (holds && point.size() >= best.size()) {
            best = point;
            m.disk = device + " (" + type + ")";
        }
    }
    struct statvfs fs {};
    if (statvfs(workDir.c_str(), &fs) == 0) {
        const double gib = 1024.0 * 1024.0 * 1024.0;
        char text[96];
        std::snprintf(text, sizeof text, ", %.0f GiB, %.0f GiB free",
                      static_cast<double>(fs.f_blocks) * static_cast<double>(fs.f_frsize) / gib,
                      static_cast<double>(fs.f_bavail) * static_cast<double>(fs.f_frsize) / gib);
        m.disk += text;
    }
    utsname u{};
    if (uname(&u) == 0) m.kernel = std::string(u.sysname) + " " + u.release + " " + u.machine;
    return m;
}

LoadMeter::LoadMeter() : busy_(BusySeconds()), own_(OwnSeconds()), start_(std::chrono::steady_clock::now()) {}

double LoadMeter::OtherBusyCores() const
{
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start_;
    if (wall.count() <= 0) return 0;
    const double other = (BusySeconds() - busy_) - (OwnSeconds() - own_);
    return other > 0 ? other / wall.count() : 0;
}

double LoadMeter::LoadAverage()
{
    double one = 0;
    std::ifstream in("/proc/loadavg");
    in >> one;
    return one;
}

}  // namespace bench
