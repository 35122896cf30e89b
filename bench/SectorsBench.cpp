#include "bench/SectorsBench.h"

#include "bench/Plan.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace bench {

namespace {

struct Loop {
    const char* what;
    std::vector<std::string> argv;
    std::vector<double> walls, cpus;
};

}  // namespace

bool RunSectorsBench(const Options& o)
{
    const std::int64_t sectors = kFullImageSize / (o.quick ? 10 : 1) / 2352;
    const std::string dir = (fs::path(o.workDir) / ("mendrix-bench-sectors-" + std::to_string(getpid()))).string();
    fs::create_directories(dir);
    const std::string image = dir + "/raw.bin";
    const std::string tool = o.binDir + "/bench-sectors";

    Progress("sectors: raw image of %lld sectors in %s", static_cast<long long>(sectors), dir.c_str());
    const RunResult made = RunProcess({tool, "make", image, std::to_string(sectors), std::to_string(o.seed)}, dir);
    const double wrong = made.Value("wrong");
    bool correct = made.status == 0 && SyncFile(image);

    std::vector<Loop> loops = {{"floor: read the image once (448-sector pieces)", {tool, "read", image}, {}, {}},
                               {"read and check every sector's EDC/ECC (two cores)", {tool, "check", image}, {}, {}}};
    // The checked run: every sector counted, exactly the spoilt ones found.
    const RunResult checked = RunProcess(loops[1].argv, dir);
    if (!correct || checked.status != 0 || checked.Value("sectors") != static_cast<double>(sectors) ||
        checked.Value("wrong") != wrong) {
        std::printf("sectors: the check found %s wrong of %s sectors, expected %.0f of %lld\n",
                    checked.values.count("wrong") != 0 ? checked.values.at("wrong").c_str() : "?",
                    checked.values.count("sectors") != 0 ? checked.values.at("sectors").c_str() : "?", wrong,
                    static_cast<long long>(sectors));
        correct = false;
    }
    for (int rep = 0; correct && rep < o.reps; ++rep) {
        Progress("  timed round %d of %d", rep + 1, o.reps);
        for (Loop& loop : loops) {
            const RunResult r = RunProcess(loop.argv, dir);
            if (r.status != 0) correct = false;
            loop.walls.push_back(r.wall);
            loop.cpus.push_back(r.cpu);
        }
    }
    if (!o.keep) fs::remove_all(dir);

    std::printf("\n**Raw sectors: %lld sectors of 2352 bytes (%.1f MiB), %.0f with a wrong EDC/ECC**\n\n",
                static_cast<long long>(sectors), static_cast<double>(sectors) * 2352 / 1048576.0, wrong);
    std::printf("| loop | median | min-max (runs) | vs floor | cpu |\n|---|---:|---|---|---:|\n");
    const double floor = Median(loops[0].walls);
    for (const Loop& loop : loops) {
        if (loop.walls.empty()) {
            std::printf("| %s | - | - | - | - |\n", loop.what);
            continue;
        }
        std::printf("| %s | %.3f s | %.3f-%.3f (%zu) | %.2fx | %.3f s |\n", loop.what, Median(loop.walls),
                    Smallest(loop.walls), Largest(loop.walls), loop.walls.size(),
                    floor > 0 ? Median(loop.walls) / floor : 0, Median(loop.cpus));
    }
    return correct;
}

}  // namespace bench
