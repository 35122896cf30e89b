// What loading and applying a patch must do, worked out from the patch's
// bytes alone by a plain loop written apart from the library: the fuzz
// targets compare every run of the program with it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fuzzref {

using Bytes = std::vector<std::uint8_t>;

// The result of LoadPatch for a file holding patch.
struct LoadModel {
    bool loaded = false;
    int method = -1;                 // 0, 1, 2 when loaded
    std::vector<std::string> boxes;  // the one refusal when not loaded
    std::vector<std::string> lines;  // the memo's entries when loaded
    bool undoEnabled = false;
};

LoadModel ModelLoad(const Bytes& patch, const std::string& path);

// How the user answers the two questions of an apply and whether the undo
// box is ticked.
struct Answers {
    bool sizeYes = true;
    bool blockYes = true;
    bool undoTicked = false;
};

// The result of the Apply command after a successful load.
struct ApplyModel {
    bool success = false;
    std::vector<std::string> boxes;  // every box in order, the success box included
    Bytes image;                     // the image afterwards
    std::int64_t records = 0;        // records written (one pump each)
};

// fileSizeLimit: the largest length the image may reach (the process's file
// size limit); a patch that needs more fails before writing.
ApplyModel ModelApply(const Bytes& patch, const Bytes& image, const Answers& answers, std::int64_t fileSizeLimit);

}  // namespace fuzzref
