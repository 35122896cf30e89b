// A patch read into a value: what a load learns of a KDX file and what an
// apply later relies on. Several can be held at once.
#pragma once

#include "kdx/File.h"
#include "kdx/Layout.h"
#include "kdx/RecordReader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kdx {

struct DizTrailer {
    bool present = false;
    std::uint32_t length = 0;         // the stored length of the text
    std::int64_t nonRecordBytes = 0;  // header + trailer (the header alone without one)
    std::string text;                 // at most diz::kTextMax bytes of the text
};

// Which of a record's bytes an apply writes.
enum class Write { Patched, Undo };

// What an apply of a patch writes, and how it reads the records for it.
struct WriteChoice {
    Write which = Write::Patched;
    RecordFormat records;
};

struct Patch {
    const VersionLayout* layout = &kVersions[0];
    std::string path;
    std::vector<std::uint8_t> header;   // layout->headerRead bytes; zero past the file's end
    std::int64_t fileLength = 0;
    std::int64_t headerLength = 0;      // where the records begin
    std::int64_t patchDataLength = 0;   // bytes of records; zero or less: none
    DizTrailer diz;

    int Method() const { return layout->method; }
    const char* Version() const { return layout->name; }
    // The 50 description bytes as stored.
    std::string Description() const;
    // 3.0 with any undo flag but 0.
    bool HasUndoData() const;
    // True when an apply must find the header's block in the image.
    bool BlockCheck() const;
    bool GiImage() const;
    // Where the image must hold the block; -1 without a block check.
    std::int64_t BlockPosition() const;
    const std::uint8_t* BlockData() const { return header.data() + field::kBlockData.at; }
    // 2.0: the length the image must have.
    std::uint32_t ImageSize() const;
    // As the information lines tell it: a trailer takes bytes from the records.
    bool ListsTrailer() const { return fileLength - headerLength != patchDataLength; }
    // Where the records lie; undoBytes reads each record with its undo bytes.
    RecordFormat Records(bool undoBytes) const;
    RecordFormat Records() const { return Records(HasUndoData()); }
    // What an apply writes: the undo bytes when undo is asked for and the
    // patch carries them, else the patched bytes.
    WriteChoice Writes(bool undo) const;
};

enum class ReadStatus {
    Read,
    CantOpen,       // the file cannot be opened (error holds the system's number)
    NotKdx,         // it does not begin with "KDX"
    UnknownMethod   // its method byte names no version
};

struct ReadResult {
    ReadStatus status = ReadStatus::Read;
    int error = 0;
    Patch patch;
};

// Opens the file read-only without sharing, checks the magic and the method,
// reads the header, the lengths and any FILE_ID.DIZ text, and closes it.
ReadResult ReadPatch(const std::string& path, FileSystem& files);
// The same for a file already open whose method byte named layout.
Patch ReadPatch(File& file, const std::string& path, const VersionLayout& layout);

// The method byte, or -1 when the file has none.
int ReadMethod(File& file);
// True when the file begins with the letters "KDX".
bool CheckMagic(File& file);

// True when the open patch has the path, length and header bytes that the
// read found: a patch changed since it was read must not be applied.
bool StillAsRead(File& file, const Patch& patch, const std::string& path);

}  // namespace kdx
