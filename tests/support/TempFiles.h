// Temporary folders and whole-file reads and writes for tests.
#pragma once

#include "tests/support/PatchBuilder.h"

#include <filesystem>
#include <string>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The path of a file name inside the folder, as a UTF-8 string.
    std::string File(const std::string& name) const;

private:
    std::filesystem::path path_;
};

void WriteFile(const std::string& path, const Bytes& bytes);
// True when some handle still holds the file open without sharing: a
// command that left it open would keep other programs out.
bool HeldOpen(const std::string& path);
Bytes ReadFile(const std::string& path);

}  // namespace testsupport
