// Where a path leads on the system's own files once every link on the way
// is followed, and what an open handle holds: the facts the system's file
// system hands out (File_posix.cpp, File_win32.cpp). A file with another
// hard link may be reached from anywhere on its volume, so writing it
// changes a file elsewhere; its volume and index tell it under any name.
#pragma once

#include "kdx/FileSystem.h"

#include <string>

namespace kdx {

// Resolves an existing file or folder's path (UTF-8). 0, or the system's
// error number (facts untouched then).
int ResolvePath(const std::string& path, FileFacts& facts);

// The facts of the file an open handle of the system's files holds.
int HandleFacts(FileSystem::Handle handle, FileFacts& facts);

}  // namespace kdx
