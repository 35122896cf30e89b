// What a power loss may leave of the changes MemoryFiles recorded: at every
// point of the record (before the first change, between any two, after the
// last), each file holds what its last sync made durable plus any subset of
// the changes made to it since (a write is kept or lost page by page), and
// each folder holds the names its last folder sync made durable plus the
// names made, changed and removed since, in their order, up to any of them
// (a folder's names reach the disk in order; a rename between folders
// counts as one of the folder it goes to).
//
// Small points are enumerated whole; a point with more states than
// enumerateUpTo is sampled (seeded, so a run can be repeated), always with
// the state that keeps everything and the one that loses everything. A
// state seen at an earlier point is not checked again.
#pragma once

#include "tests/support/MemoryFiles.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace testsupport {

struct CrashOptions {
    std::int64_t piece = MemoryFiles::kPage;  // writes are kept or lost in pieces this large, aligned
    std::uint64_t enumerateUpTo = 4096;       // states of one point tried each, up to this many
    int samples = 64;                         // else this many drawn at random
    std::uint32_t seed = 1;
    std::size_t fromPoint = 0;  // the states of earlier points are left out
};

struct CrashCount {
    std::size_t points = 0;         // crash points tried: the changes recorded, plus one, from fromPoint on
    std::size_t sampledPoints = 0;  // points with more states than were tried
    std::uint64_t tried = 0;        // distinct states handed to the check
};

// Hands check every distinct state, with the crash point that first gave
// it (0: before the first change).
CrashCount ForEachCrashState(const MemoryFiles& recorded, const CrashOptions& options,
                             const std::function<void(const FileTree& state, std::size_t point)>& check);

}  // namespace testsupport
