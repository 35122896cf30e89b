#include "tests/support/CrashStates.h"

#include <algorithm>
#include <limits>
#include <random>
#include <set>

namespace testsupport {

namespace {

using Kind = FileChange::Kind;

// What is durable at one point and what may or may not have reached the disk.
struct Disk {
    std::map<int, Bytes> durable;
    std::map<int, std::vector<FileChange>> unsynced;       // per file, in order
    std::map<std::string, int> names;
    std::map<std::string, std::vector<FileChange>> unsyncedNames;  // per folder, in order

    void Take(const FileChange& change, std::int64_t piece)
    {
        switch (change.kind) {
        case Kind::Write:
            for (std::int64_t at = change.offset, end = change.offset + static_cast<std::int64_t>(change.bytes.size());
                 at < end;) {
                const std::int64_t next = std::min(end, (at / piece + 1) * piece);
                FileChange part{Kind::Write, change.file};
                part.offset = at;
                part.bytes.assign(change.bytes.begin() + (at - change.offset), change.bytes.begin() + (next - change.offset));
                unsynced[change.file].push_back(std::move(part));
                at = next;
            }
            break;
        case Kind::SetLength:
        case Kind::Grow: unsynced[change.file].push_back(change); break;
        case Kind::Sync:
            for (const FileChange& c : unsynced[change.file]) ApplyChange(durable[change.file], c);
            unsynced.erase(change.file);
            break;
        case Kind::Create:
            durable.try_emplace(change.file);
            unsyncedNames[FolderOf(change.path)].push_back(change);
            break;
        case Kind::Rename: unsyncedNames[FolderOf(change.to)].push_back(change); break;
        case Kind::Remove: unsyncedNames[FolderOf(change.path)].push_back(change); break;
        case Kind::SyncFolder:
            for (const FileChange& c : unsyncedNames[change.path]) Name(names, c);
            unsyncedNames.erase(change.path);
            break;
        }
    }

    static void Name(std::map<std::string, int>& names, const FileChange& c)
    {
        if (c.kind == Kind::Create) names[c.path] = c.file;
        if (c.kind == Kind::Rename) {
            const auto from = names.find(c.path);
            if (from != names.end() && from->second == c.file) names.erase(from);
            names[c.to] = c.file;
        }
        if (c.kind == Kind::Remove) {
            const auto gone = names.find(c.path);
            if (gone != names.end() && gone->second == c.file) names.erase(gone);
        }
    }
};

// One choice per folder (how many of its name changes stay) and per piece
// (kept or lost), as mixed-radix digits.
struct Choices {
    std::vector<std::pair<std::string, std::size_t>> folders;  // folder, changes pending
    std::vector<std::pair<int, std::size_t>> files;            // file, pieces pending
    std::uint64_t total = 1;                                   // saturates

    static std::uint64_t Times(std::uint64_t a, std::uint64_t b)
    {
        return b != 0 && a > std::numeric_limits<std::uint64_t>::max() / b ? std::numeric_limits<std::uint64_t>::max()
                                                                           : a * b;
    }
};

Choices ChoicesAt(const Disk& disk)
{
    Choices choices;
    std::set<int> visible;
    for (const auto& [path, file] : disk.names) visible.insert(file);
    for (const auto& [folder, changes] : disk.unsyncedNames) {
        choices.folders.emplace_back(folder, changes.size());
        choices.total = Choices::Times(choices.total, changes.size() + 1);
        for (const FileChange& c : changes)
            if (c.kind != Kind::Remove) visible.insert(c.file);
    }
    // Pieces of a file no name can lead to change nothing anyone sees.
    for (const auto& [file, pieces] : disk.unsynced) {
        if (visible.count(file) == 0 || pieces.empty()) continue;
        choices.files.emplace_back(file, pieces.size());
        for (std::size_t i = 0; i < pieces.size(); ++i) choices.total = Choices::Times(choices.total, 2);
    }
    return choices;
}

// digits: per folder the changes kept, then per piece 0 or 1.
FileTree Build(const Disk& disk, const Choices& choices, const std::vector<std::size_t>& digits)
{
    std::size_t d = 0;
    std::map<std::string, int> names = disk.names;
    for (const auto& [folder, n] : choices.folders) {
        const std::vector<FileChange>& changes = disk.unsyncedNames.at(folder);
        for (std::size_t i = 0; i < digits[d]; ++i) Disk::Name(names, changes[i]);
        ++d;
    }
    std::map<int, Bytes> contents;
    for (const auto& [file, n] : choices.files) {
        Bytes content = disk.durable.count(file) != 0 ? disk.durable.at(file) : Bytes{};
        const std::vector<FileChange>& pieces = disk.unsynced.at(file);
        for (std::size_t i = 0; i < n; ++i)
            if (digits[d++] != 0) ApplyChange(content, pieces[i]);
        contents[file] = std::move(content);
    }
    FileTree tree;
    for (const auto& [path, file] : names) {
        const auto built = contents.find(file);
        if (built != contents.end()) tree[path] = built->second;
        else tree[path] = disk.durable.count(file) != 0 ? disk.durable.at(file) : Bytes{};
    }
    return tree;
}

std::uint64_t Fingerprint(const FileTree& tree)
{
    std::uint64_t h = 1469598103934665603ull;
    const auto mix = [&h](std::uint8_t b) { h = (h ^ b) * 1099511628211ull; };
    for (const auto& [path, bytes] : tree) {
        for (const char c : path) mix(static_cast<std::uint8_t>(c));
        mix(0);
        for (int i = 0; i < 8; ++i) mix(static_cast<std::uint8_t>(bytes.size() >> (8 * i)));
        for (const std::uint8_t b : bytes) mix(b);
    }
    return h;
}

std::size_t Digits(const Choices& choices)
{
    std::size_t n = choices.folders.size();
    for (const auto& [file, pieces] : choices.files) n += pieces;
    return n;
}

// The radix of each digit: a folder's changes + 1, or 2 for a piece.
std::vector<std::size_t> Radices(const Choices& choices)
{
    std::vector<std::size_t> radix;
    for (const auto& [folder, n] : choices.folders) radix.push_back(n + 1);
    for (const auto& [file, n] : choices.files) radix.insert(radix.end(), n, 2);
    return radix;
}

}  // namespace

CrashCount ForEachCrashState(const MemoryFiles& recorded, const CrashOptions& options,
                             const std::function<void(const FileTree& state, std::size_t point)>& check)
{
    Disk disk;
    disk.names = recorded.StartNames();
    disk.durable = recorded.StartContents();
    const std::vector<FileChange>& record = recorded.Record();

    CrashCount count;
    std::set<std::uint64_t> seen;
    const auto offer = [&](const FileTree& tree, std::size_t point) {
        if (!seen.insert(Fingerprint(tree)).second) return;
        ++count.tried;
        check(tree, point);
    };
    for (std::size_t point = 0; point <= record.size(); ++point) {
        if (point > 0) disk.Take(record[point - 1], options.piece);
        if (point < options.fromPoint) continue;
        ++count.points;
        const Choices choices = ChoicesAt(disk);
        const std::vector<std::size_t> radix = Radices(choices);
        std::vector<std::size_t> digits(Digits(choices), 0);
        if (choices.total <= options.enumerateUpTo) {
            for (std::uint64_t i = 0; i < choices.total; ++i) {
                std::uint64_t rest = i;
                for (std::size_t d = 0; d < digits.size(); ++d) {
                    digits[d] = rest % radix[d];
                    rest /= radix[d];
                }
                offer(Build(disk, choices, digits), point);
            }
            continue;
        }
        ++count.sampledPoints;
        offer(Build(disk, choices, digits), point);  // everything lost
        for (std::size_t d = 0; d < digits.size(); ++d) digits[d] = radix[d] - 1;
        offer(Build(disk, choices, digits), point);  // everything kept
        std::mt19937_64 random(options.seed * 1000003ull + point);
        for (int s = 0; s < options.samples; ++s) {
            for (std::size_t d = 0; d < digits.size(); ++d) digits[d] = random() % radix[d];
            offer(Build(disk, choices, digits), point);
        }
    }
    return count;
}

}  // namespace testsupport
