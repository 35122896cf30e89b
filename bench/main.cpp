// mendrix-bench: times MENDRIX's apply, undo and make against the floor of
// this machine and against peers, in one run, and checks every result.
#include "bench/Bench.h"
#include "bench/Report.h"
#include "bench/SectorsBench.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>

int main(int argc, char** argv)
{
    bench::Options o;
    CLI::App app{"mendrix-bench: MENDRIX's apply against the floor of this machine and against peers",
                 "mendrix-bench"};
    app.add_flag("--quick", o.quick, "every workload ten times smaller, one run each: a smoke test of the results");
    app.add_option("--reps", o.reps, "timed runs of each loop (default 5; 1 with --quick; 0: only the checked run)")
        ->check(CLI::Range(0, 99));
    bool noReference = false, noPeers = false;
    app.add_flag("--no-reference", noReference, "leave out the pwrite and literal loops");
    app.add_flag("--no-peers", noPeers, "leave out xdelta3 and bspatch");
    app.add_flag("--bsdiff", o.bsdiff, "also time bspatch on W1 (making its patch takes minutes)");
    app.add_option("--only", o.only, "run only these workloads (W1 W2 W3)");
    app.add_option("--dir", o.workDir, "where the temporary folder goes (default $TMPDIR or /tmp)");
    app.add_option("--results", o.results, "the RESULTS.md whose figures block this run replaces");
    app.add_option("--seed", o.seed, "the seed of the workloads");
    app.add_flag("--keep", o.keep, "leave the generated images and patches in the temporary folder");
    app.add_option("--before-apply", o.beforeApply, "an earlier mendrix-cli to time beside this one (apply)");
    app.add_option("--before-make", o.beforeMake, "an earlier mendrix-cli to time beside this one (make)");
    bool sectors = false;
    app.add_flag("--sectors", sectors, "only the raw-sector check against reading the image once");
    CLI11_PARSE(app, argc, argv);

    o.reference = !noReference;
    o.peers = !noPeers;
    if (o.quick && app.count("--reps") == 0) o.reps = 1;
    o.referenceReps = std::min(o.reps, 2);
    if (o.workDir.empty()) o.workDir = std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "/tmp";
    o.binDir = std::filesystem::read_symlink("/proc/self/exe").parent_path().string();

    if (sectors) {
        try {
            const bool correct = bench::RunSectorsBench(o);
            std::printf("%s\n", correct ? "every result as expected" : "SOME RESULTS WRONG");
            return correct ? 0 : 1;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "mendrix-bench: %s\n", e.what());
            return 1;
        }
    }

    std::string command = "mendrix-bench";
    for (int i = 1; i < argc; ++i) command += std::string(" ") + argv[i];
    try {
        bench::RunContext context;
        context.machine = bench::DescribeMachine(std::filesystem::absolute(o.workDir).string());
        context.loadBefore = bench::LoadMeter::LoadAverage();
        context.command = command;
        context.reps = o.reps;
        const bench::LoadMeter meter;
        const auto t0 = std::time(nullptr);
        const auto results = bench::RunBench(o);
        context.seconds = static_cast<double>(std::time(nullptr) - t0);
        context.otherCores = meter.OtherBusyCores();
        context.loadAfter = bench::LoadMeter::LoadAverage();
        char date[32];
        std::strftime(date, sizeof date, "%Y-%m-%d %H:%M UTC", std::gmtime(&t0));
        context.date = date;

        const auto targets = bench::JudgeTargets(results);
        if (!o.quick) bench::PrintTargets(stdout, targets);
        std::printf("\nmachine: %ld cores, %ld MiB, %s; other processes kept %.2f cores busy; %.0f s\n",
                    context.machine.cores, context.machine.memoryMiB, context.machine.disk.c_str(),
                    context.otherCores, context.seconds);
        const bool correct = bench::AllCorrect(results);
        if (!o.results.empty() && !bench::WriteResults(o.results, results, targets, context)) {
            std::fprintf(stderr, "mendrix-bench: cannot write %s\n", o.results.c_str());
            return 1;
        }
        std::printf("%s\n", correct ? "every result as expected" : "SOME RESULTS WRONG");
        return correct ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mendrix-bench: %s\n", e.what());
        return 1;
    }
}
