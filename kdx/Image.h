// The image a patch is written into: one byte range over one file, or over
// the track files of a cue sheet in order (the one-file image that merging
// them gives). Each file is opened with no sharing and closed with the
// object. Reads and writes are split at the files' boundaries; only the
// last file ever changes its length, and the cue sheet itself is never
// opened for writing. A failure names the file and the system's reason.
#pragma once

#include "kdx/CueImage.h"
#include "kdx/File.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace kdx {

enum class ImageOpenStatus {
    Opened,
    CantOpen,    // path, error: the file (the image, or a track file) cannot be opened
    NotCdImage,  // path: a text file that is no cue sheet
    CueRefused,  // problem: the cue sheet or its track files
    Changed      // path: a track file is no longer the file that was checked
};

struct ImageOpenResult {
    ImageOpenStatus status = ImageOpenStatus::Opened;
    std::string path;
    int error = 0;
    CueProblem problem;

    bool ok() const { return status == ImageOpenStatus::Opened; }
};

class ImageMap;

class Image {
public:
    explicit Image(FileSystem& files = SystemFiles()) : files_(&files) {}
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // Opens what path names: a cue sheet (told by its text, whatever its
    // name) as its track files, each checked to be the file the sheet's
    // check found; a text that is no cue sheet is refused; anything else is
    // the image itself. Closes what was open before.
    ImageOpenResult Open(const std::string& path, bool writable);
    bool IsOpen() const { return !parts_.empty(); }
    // Closes every file; false when any close failed (LastError, ErrorPath say which).
    bool Close();
    FileSystem& System() const { return *files_; }

    // The path opened: the image file or the cue sheet.
    const std::string& Path() const { return path_; }
    // The cue sheet's layout, for an image behind one.
    const CueImage* Cue() const { return cue_ ? &*cue_ : nullptr; }
    // True when path names the image file, the cue sheet or one of its track files.
    bool Includes(const std::string& path) const;

    // The whole range's length, or -1.
    std::int64_t Length();
    // Up to n bytes at position (fewer only at the range's end), or -1.
    std::int64_t ReadAt(std::int64_t position, void* buffer, std::int64_t n);
    // All n bytes at position; bytes past the end go into the last file.
    bool WriteAt(std::int64_t position, const void* buffer, std::int64_t n);
    // Makes every file written, grown or mapped since the last sync durable.
    bool SyncData();
    bool IsSparse() const;
    // Reserves [offset, offset + length), growing the last file to its end. 0, or the error number.
    int Reserve(std::int64_t offset, std::int64_t length);
    // Makes the range length bytes long by cutting or growing the last file.
    bool SetLength(std::int64_t length);
    // Maps [0, length) of the range; false when a file cannot be mapped (none stays mapped).
    bool Map(std::int64_t length, ImageMap& map);

    int LastError() const { return lastError_; }
    // The file the last failure concerns.
    const std::string& ErrorPath() const { return errorPath_; }
    // The system's reason; for an image behind a cue sheet, after the failing file's path.
    std::string LastErrorText() const;

private:
    struct Part {
        explicit Part(FileSystem& files) : file(files) {}
        File file;
        std::string path;
        std::int64_t offset = 0;
        std::int64_t length = 0;  // fixed for every file but the last
        bool touched = false;     // written, grown or mapped since the last sync
    };

    ImageOpenResult OpenTracks(const std::string& path, bool writable);
    bool Fail(const Part& part);
    // Every call on an image that is not open fails with EBADF.
    bool NotOpen();
    // The part that holds byte position (the last one past the end).
    std::size_t PartAt(std::int64_t position) const;
    std::int64_t EndOf(std::size_t i) const;

    FileSystem* files_;
    std::string path_;
    std::deque<Part> parts_;
    std::optional<CueImage> cue_;
    int lastError_ = 0;
    std::string errorPath_;
};

// The range mapped file by file; unmapped on destruction.
class ImageMap {
public:
    bool Mapped() const { return !regions_.empty(); }
    // Copies n bytes to offset, across files where they lie across.
    void Copy(std::int64_t offset, const std::uint8_t* data, std::size_t n);
    // The mapped pages go to the files; false (ErrorText) on an error.
    bool Flush();
    // Unmaps every file; false (ErrorText) when the system refused.
    bool Unmap();
    std::string ErrorText() const;

private:
    friend class Image;
    struct Region {
        MappedRegion map;
        std::int64_t start = 0;
        std::int64_t end = 0;
        std::string path;
    };
    bool Failed(const Region& region, int error);

    std::deque<Region> regions_;
    std::size_t last_ = 0;  // the region the last copy went to
    bool named_ = false;    // errors name the file
    int error_ = 0;
    std::string errorPath_;
};

// The system's reason for error, after path when named.
std::string ErrorTextOn(const std::string& path, int error, bool named);

}  // namespace kdx
