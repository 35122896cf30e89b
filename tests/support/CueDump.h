// Dumps as a cue sheet and its track files, built byte by byte for tests:
// a Mode 1 data track, audio tracks, a Mode 2 data track, names with blanks
// and brackets as dumps name them; and one with the track modes that store
// less than a whole sector.
#pragma once

#include "tests/support/MemoryFiles.h"
#include "tests/support/PatchBuilder.h"

#include <string>
#include <vector>

namespace testsupport {

struct DumpFile {
    std::string name;
    Bytes bytes;
};

struct CueDump {
    std::string sheetName;
    std::string sheet;  // the sheet's text
    std::vector<DumpFile> files;

    // The track files one after another: the one-file image.
    Bytes Merged() const;
    std::string SheetIn(const std::string& folder) const { return folder + "/" + sheetName; }
    std::string FileIn(const std::string& folder, std::size_t i) const { return folder + "/" + files[i].name; }
    // The sheet and its files in folder.
    FileTree Tree(const std::string& folder) const;
    void Write(const std::string& folder) const;
    // The track files in files (or on disk) one after another, as they are now.
    Bytes Read(const FileTree& tree, const std::string& folder) const;
    Bytes Read(const std::string& folder) const;
};

// "Game (Europe).cue": Track 1 MODE1/2352, 12 sectors, LBA 0-11; Track 2
// AUDIO, 5 sectors whose bytes look like Mode 1 sectors with a wrong EDC;
// Track 3 AUDIO, 4 sectors; Track 4 MODE2/2352, 6 sectors, Form 1 and
// Form 2 in turn (LBA 21-26). One file each; CR LF line ends.
CueDump GameDump();

// "Mixed.cue": one file holding Track 1 MODE1/2048 (5 sectors) and Track 2
// MODE2/2336 (4 sectors, Form 1, Form 2, Form 1, Form 1, LBA 5-8); a second
// file with Track 3 AUDIO (3 sectors).
CueDump MixedDump();

// A Mode 2 sector as a MODE2/2336 track holds it: without sync and header.
Bytes HeadlessSector(bool form2, std::uint32_t lba);

}  // namespace testsupport
