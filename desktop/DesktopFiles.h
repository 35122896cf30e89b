// File work for the desktop's per-user folders: folders made on demand,
// files replaced whole, and the desktop's cache tools run quietly.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace desktop {

// Makes the folder and any missing folder on the way. 0, or the system's
// error number when that is not possible (a file in the way, no permission).
int MakeFolder(const std::filesystem::path& folder);

// Replaces the file's content in one step: written to a temporary file beside
// it and renamed over it, so a failure leaves the old content whole. A
// symbolic link is followed and its target replaced. 0, or the system's error number.
int ReplaceFile(const std::filesystem::path& path, const std::string& content);

// The whole file; an empty text when it does not exist; nothing when it
// exists but cannot be read.
std::optional<std::string> ReadTextFile(const std::filesystem::path& path);

// Runs a program found on PATH with the arguments, without a shell, with no
// input and its output discarded, and waits for it. False when it is not
// there, could not be started or did not end with status 0.
bool RunQuietly(const std::string& program, const std::vector<std::string>& args);

}  // namespace desktop
