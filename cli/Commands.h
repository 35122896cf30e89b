// The commands of mendrix-cli. Each returns the process's exit status:
// 0 completed, 1 refused, cancelled or failed (after its message).
#pragma once

#include "kdx/Image.h"
#include "kdx/Patch.h"
#include "platform/console/ConsoleServices.h"

#include <optional>
#include <string>
#include <vector>

namespace cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// mendrix-cli with the process's arguments, every file in files: the exit
// status. Unexpected errors end in a message and status 1.
int Main(int argc, char** argv, kdx::FileSystem& files);
// The same with these arguments (UTF-8, the program's name first).
int Run(std::vector<std::string> arguments, kdx::FileSystem& files);

// Reads a patch as the window's load does, with the load's message on failure.
std::optional<kdx::Patch> ReadPatchOrSay(const std::string& path, kdx::FileSystem& files);
// Shows text as an error; the status of a command that failed.
int Fail(const std::string& text);
// Prints why a file could not be opened, "(reason)" on a line of its own
// after the box that named it.
void SayOpenReason(int error);
// Fail, then the reason of the failed open.
int FailOpen(const std::string& text, int error);
// Shows why an image could not be opened (with the reason when a file could not be).
int FailImageOpen(const kdx::ImageOpenResult& opened);
// Prints each line on standard output.
void PrintLines(const std::vector<std::string>& lines);

// The information lines, or with json the loaded facts as one JSON object.
int Info(const std::string& patch, bool json, kdx::FileSystem& files);

struct ApplyOptions {
    std::string patch;
    std::string image;
    bool undo = false;  // write the undo data; refused for a patch without any
    bool quiet = false; // no progress bar
    bool fixSectors = false;  // keep the EDC/ECC of the touched raw sectors right
    std::string backup; // a backup patch of the bytes the apply overwrites, or empty
    platform::console::Answer answer = platform::console::Answer::Ask;
};
int Apply(const ApplyOptions& options, kdx::FileSystem& files);

// The checks of a patch against an image, one line each, and the image's
// state; writes nothing. 0 when every check passed.
int Check(const std::string& patch, const std::string& image, kdx::FileSystem& files);

struct MakeOptions {
    std::string original;
    std::string modified;
    std::string output;
    int version = 3;
    bool undo = false;
    bool blockCheck = false;
    bool giImage = false;
    std::string description;  // as typed: UTF-8 is stored as Windows-1252
    std::string diz;          // a FILE_ID.DIZ file, or empty
    bool quiet = false;
    bool fixSectors = false;  // a raw MODIFIED's broken sectors go into the patch repaired
};
int Make(const MakeOptions& options, kdx::FileSystem& files);

struct SectorsOptions {
    std::string image;
    bool json = false;
    bool fix = false;    // write the right EDC/ECC into the wrong sectors, after the question
    bool quiet = false;  // no progress bar
    platform::console::Answer answer = platform::console::Answer::Ask;
};
// The raw sectors of an image by kind and the wrong ones; 0 when every
// checkable sector is right (or, with fix, was made right).
int Sectors(const SectorsOptions& options, kdx::FileSystem& files);

struct MergeOptions {
    std::string cue;     // the cue sheet of the image to merge
    std::string output;  // the one-file image to write; its cue sheet goes beside it
    bool yes = false;    // replace files of those names
    bool quiet = false;  // no progress bar
};
// The image behind a cue sheet as one file and its one-file cue sheet.
int Merge(const MergeOptions& options, kdx::FileSystem& files);

}  // namespace cli
