#include "bench/Report.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace bench {

namespace {

const char* kBegin = "<!-- bench:begin -->";
const char* kEnd = "<!-- bench:end -->";

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string MiB(long kb) { return kb < 0 ? "-" : Format("%.1f MiB", static_cast<double>(kb) / 1024.0); }
std::string Size(std::int64_t bytes) { return Format("%.1f MiB", static_cast<double>(bytes) / 1048576.0); }

const Row* Find(const WorkloadResult& w, const std::string& group, bool floor, const std::string& loop = "")
{
    for (const Row& r : w.rows)
        if (r.group == group && r.floor == floor && (loop.empty() || r.loop == loop)) return &r;
    return nullptr;
}

// The row's time over what it is measured against (0 when there is nothing to compare).
double Ratio(const WorkloadResult& w, const Row& row)
{
    const Row* base = nullptr;
    if (row.versus == Versus::Floor) base = Find(w, row.group, true);
    if (row.versus == Versus::Mendrix) base = Find(w, row.group, false, "mendrix-cli apply");
    if (base == nullptr || base->walls.empty() || row.walls.empty()) return 0;
    const double over = Median(base->walls);
    return over > 0 ? Median(row.walls) / over : 0;
}

// The row's time over the faster of the group's two minimal loops (0 when not measured).
double BestRatio(const WorkloadResult& w, const Row& row)
{
    if (!row.mendrix || row.versus != Versus::Floor || row.walls.empty()) return 0;
    double best = 0;
    bool another = false;
    for (const Row& r : w.rows) {
        if (r.group != row.group || !(r.floor || r.bestCandidate) || r.walls.empty()) continue;
        another = another || r.bestCandidate;
        best = best == 0 ? Median(r.walls) : std::min(best, Median(r.walls));
    }
    return another && best > 0 ? Median(row.walls) / best : 0;
}

std::string BestText(const WorkloadResult& w, const Row& row)
{
    const double r = BestRatio(w, row);
    return r > 0 ? Format("%.2fx", r) : "";
}

std::string RatioText(const WorkloadResult& w, const Row& row)
{
    if (row.floor) return "floor";
    const double r = Ratio(w, row);
    if (r <= 0) return "-";
    if (row.versus == Versus::Mendrix) return Format(row.mendrix ? "%.2fx MENDRIX" : "%.1fx MENDRIX", r);
    return Format("%.2fx", r);
}

std::string Notes(const Row& row)
{
    std::string notes = row.note;
    if (row.pumpShare >= 0) {
        if (!notes.empty()) notes += ", ";
        notes += "pump " + Format("%.2f%%", row.pumpShare * 100) + " of " + std::to_string(row.pumps) + " calls";
    }
    if (!row.correct) notes = "FAILED: " + row.failure;
    return notes;
}

std::string TimeText(const Row& row)
{
    if (row.walls.empty()) return "-";
    return Format("%.3f s", Median(row.walls));
}

std::string CpuText(const Row& row)
{
    if (row.cpus.empty()) return "-";
    return Format("%.3f s", Median(row.cpus));
}

std::string SpreadText(const Row& row)
{
    if (row.walls.empty()) return "-";
    return Format("%.3f", Smallest(row.walls)) + "-" + Format("%.3f", Largest(row.walls)) + " (" +
           std::to_string(row.walls.size()) + ")";
}

std::string Heading(const WorkloadResult& w)
{
    std::string text = w.name + " " + w.title + ": image " + Size(w.imageSize) + ", " + std::to_string(w.records) +
                       " records; patches";
    for (const auto& [layout, bytes] : w.patchSizes) text += " " + layout + " " + Size(bytes);
    return text;
}

}  // namespace

void PrintWorkload(std::FILE* out, const WorkloadResult& w)
{
    std::fprintf(out, "\n%s\n", Heading(w).c_str());
    std::fprintf(out, "  %-15s %-49s %9s %-21s %-13s %-8s %9s %10s %9s  %s\n", "patch", "loop", "median",
                 "min-max (runs)", "vs floor", "vs best", "cpu", "peak RSS", "anon", "notes");
    for (const Row& r : w.rows)
        std::fprintf(out, "  %-15s %-49s %9s %-21s %-13s %-8s %9s %10s %9s  %s\n", r.patch.c_str(), r.loop.c_str(),
                     TimeText(r).c_str(), SpreadText(r).c_str(), RatioText(w, r).c_str(), BestText(w, r).c_str(),
                     CpuText(r).c_str(), MiB(r.peakRssKb).c_str(), MiB(r.peakAnonKb).c_str(), Notes(r).c_str());
    std::fflush(out);
}

std::vector<Target> JudgeTargets(const std::vector<WorkloadResult>& results)
{
    std::vector<Target> targets;
    auto judge = [&](const std::string& what, const WorkloadResult* w, const Row* row, double limit, bool atMost,
                     const char* format) {
        Target t;
        t.what = what;
        if (w != nullptr && row != nullptr && row->correct) {
            const double r = Ratio(*w, *row);
            t.measured = r > 0;
            t.met = t.measured && (atMost ? r <= limit : r >= limit);
            t.figure = t.measured ? Format(format, r) : "-";
            const double best = BestRatio(*w, *row);
            if (t.measured && best > 0) t.figure += " (" + Format("%.2fx", best) + " of the best floor)";
        } else {
            t.figure = "not run";
        }
        targets.push_back(t);
    };
    for (const WorkloadResult& w : results) {
        const std::string apply = w.name + " v3";
        const std::string undo = w.name + " v3+undo undo";
        judge(w.name + " apply, mendrix-cli, within 1.5x of the floor", &w, Find(w, apply, false, "mendrix-cli apply"),
              1.5, true, "%.2fx");
        judge(w.name + " apply, window path, within 1.5x of the floor", &w,
              Find(w, apply, false, "window path (btnApplyClick)"), 1.5, true, "%.2fx");
        judge(w.name + " undo, mendrix-cli, within 1.5x of the floor", &w,
              Find(w, undo, false, "mendrix-cli undo"), 1.5, true, "%.2fx");
        if (w.name == "W1") {
            judge("W1 at least 10x faster than xdelta3 -d", &w, Find(w, apply, false, "peer: xdelta3 -d"), 10, false,
                  "%.1fx");
            judge("W1 make within 2x of reading both images", &w, Find(w, w.name + " make", false), 2, true, "%.2fx");
            judge("W1 through a cue sheet (three track files) within 1.1x of one file", &w,
                  Find(w, apply, false, "mendrix-cli apply, three track files (cue)"), 1.1, true, "%.2fx");
        }
        if (w.name == "W3") {
            const Row* window = Find(w, apply, false, "window path (btnApplyClick)");
            Target t;
            t.what = "W3 pump share of the window path under 5%";
            t.measured = window != nullptr && window->pumpShare >= 0;
            t.met = t.measured && window->pumpShare < 0.05;
            t.figure = t.measured ? Format("%.2f%%", window->pumpShare * 100) : "not run";
            targets.push_back(t);
        }
    }
    return targets;
}

void PrintTargets(std::FILE* out, const std::vector<Target>& targets)
{
    std::fprintf(out, "\nTargets\n");
    for (const Target& t : targets)
        std::fprintf(out, "  %-8s %-58s %s\n", !t.measured ? "-" : t.met ? "met" : "MISSED", t.what.c_str(),
                     t.figure.c_str());
    std::fflush(out);
}

bool AllCorrect(const std::vector<WorkloadResult>& results)
{
    for (const WorkloadResult& w : results)
        for (const Row& r : w.rows)
            if (!r.correct) return false;
    return true;
}

bool WriteResults(const std::string& path, const std::vector<WorkloadResult>& results,
                  const std::vector<Target>& targets, const RunContext& c)
{
    std::ostringstream s;
    s << kBegin << "\n";
    s << "Last full run: " << c.date << ", `" << c.command << "`, " << c.reps << " timed runs per loop"
      << " (the pwrite and literal loops fewer), " << Format("%.0f", c.seconds) << " s in all.\n\n";
    s << "| machine | |\n|---|---|\n";
    s << "| nproc | " << c.machine.cores << " |\n";
    s << "| CPU | " << c.machine.cpu << " |\n";
    s << "| memory | " << c.machine.memoryMiB << " MiB |\n";
    s << "| disk (work folder) | " << c.machine.disk << " |\n";
    s << "| kernel | " << c.machine.kernel << " |\n";
    s << "| load | other processes kept " << Format("%.2f", c.otherCores) << " of " << c.machine.cores
      << " cores busy on average; load average " << Format("%.2f", c.loadBefore) << " before, "
      << Format("%.2f", c.loadAfter) << " after |\n\n";
    s << "Targets:\n\n| target | this run | |\n|---|---|---|\n";
    for (const Target& t : targets)
        s << "| " << t.what << " | " << t.figure << " | " << (!t.measured ? "-" : t.met ? "met" : "**missed**")
          << " |\n";
    for (const WorkloadResult& w : results) {
        s << "\n**" << Heading(w) << "**\n\n";
        s << "| patch | loop | median | min-max (runs) | vs floor | vs best | cpu | peak RSS | anon | notes |\n";
        s << "|---|---|---:|---|---|---|---:|---:|---:|---|\n";
        for (const Row& r : w.rows)
            s << "| " << r.patch << " | " << r.loop << " | " << TimeText(r) << " | " << SpreadText(r) << " | "
              << RatioText(w, r) << " | " << BestText(w, r) << " | " << CpuText(r) << " | " << MiB(r.peakRssKb) << " | " << MiB(r.peakAnonKb) << " | " << Notes(r)
              << " |\n";
    }
    s << kEnd << "\n";

    std::string text;
    {
        std::ifstream in(path);
        std::ostringstream old;
        old << in.rdbuf();
        text = old.str();
    }
    const std::size_t begin = text.find(kBegin);
    const std::size_t end = text.find(kEnd);
    if (begin != std::string::npos && end != std::string::npos && end > begin) {
        std::size_t after = end + std::string(kEnd).size();
        if (after < text.size() && text[after] == '\n') ++after;
        text = text.substr(0, begin) + s.str() + text.substr(after);
    } else {
        text = s.str();
    }
    std::ofstream out(path, std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

}  // namespace bench
