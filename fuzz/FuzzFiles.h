// Files for the fuzz targets: one scratch folder per process, in memory
// where the system offers it, and whole-file reads and writes that stop the
// run on any failure (a failure here is the harness's, never the program's).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fuzzfiles {

using Bytes = std::vector<std::uint8_t>;

// The path of name inside this process's scratch folder (made on first use,
// removed at exit).
std::string Scratch(const std::string& name);

void Write(const std::string& path, const std::uint8_t* data, std::size_t size);
Bytes Read(const std::string& path);

// Stops the run with a message when a fuzz invariant does not hold.
void Require(bool holds, const char* what);

}  // namespace fuzzfiles
