// The memory file system answers as the system's files do, so that what the
// crash states show of a writer holds for the real files too; and what it
// records is what a power loss could undo.
#include "kdx/File.h"
#include "tests/support/MemoryFiles.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace testsupport;

namespace {

std::string Code(int rc)
{
    switch (rc) {
    case 0: return "ok";
    case EEXIST: return "EEXIST";
    case EWOULDBLOCK: return "EWOULDBLOCK";
    case ENOENT: return "ENOENT";
    case EISDIR: return "EISDIR";
    case EBADF: return "EBADF";
    default: return std::to_string(rc);
    }
}

// One script of calls, as a transcript of what each answered.
std::vector<std::string> Script(kdx::FileSystem& fs, const std::string& root)
{
    std::vector<std::string> out;
    const auto said = [&](bool ok, const kdx::File& f) { out.push_back(ok ? "ok" : Code(f.LastError())); };
    const auto read = [&](kdx::File& f, std::int64_t at, std::int64_t n) {
        std::string s(static_cast<std::size_t>(n), '?');
        s.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, f.ReadAt(at, s.data(), n))));
        for (char& c : s) c = c == 0 ? '.' : c;
        out.push_back(s);
    };
    kdx::File a(fs);
    kdx::File b(fs);
    said(a.Create(root + "/a"), a);
    said(b.Create(root + "/a"), b);
    said(b.Open(root + "/a", false), b);
    said(a.WriteAt(5, "xyz", 3), a);
    out.push_back(std::to_string(a.Length()));
    read(a, 0, 16);
    said(a.SetLength(3), a);
    out.push_back(std::to_string(a.Length()));
    out.push_back(Code(a.Reserve(10, 10)));
    out.push_back(std::to_string(a.Length()));
    {
        kdx::MappedRegion map;
        said(a.Map(20, map), a);
        map.Data()[1] = 'M';
        read(a, 0, 3);  // a shared map: reads see it at once
        said(a.WriteAt(2, "W", 1), a);
        out.push_back(std::string(1, static_cast<char>(map.Data()[2])));
        out.push_back(map.Flush() && map.Unmap() ? "ok" : Code(map.LastError()));
    }
    said(a.Close(), a);
    said(b.Open(root + "/missing", false), b);
    said(b.Open(root, false), b);
    said(b.Create(root + "/nowhere/x"), b);
    said(b.Open(root + "/a", false), b);
    said(b.WriteAt(0, "r", 1), b);
    said(b.Close(), b);
    out.push_back(Code(kdx::RenameFile(root + "/a", root + "/b", fs)));
    out.push_back(Code(kdx::RemoveFile(root + "/a", fs)));
    out.push_back(Code(kdx::RenameFile(root + "/a", root + "/c", fs)));
    out.push_back(Code(kdx::SyncFolderOf(root + "/b", fs)));
    out.push_back(Code(kdx::SyncFolderOf(root + "/nowhere/x", fs)));
    said(b.Open(root + "/b", true), b);
    read(b, 0, 32);
    return out;
}

TEST(MemoryFiles, AnswerAsTheSystemsFilesDo)
{
    const std::vector<std::string> expected = {
        "ok", "EEXIST", "EWOULDBLOCK", "ok", "8", ".....xyz", "ok", "3", "ok", "20", "ok", ".M.", "ok", "W", "ok",
        "ok", "ENOENT", "EISDIR", "ENOENT", "ok", "EBADF", "ok", "ok", "ENOENT", "ENOENT", "ok",
        "ENOENT", "ok", ".MW................."};
    TempDir dir;
    EXPECT_EQ(Script(kdx::SystemFiles(), dir.Path().string()), expected);
    MemoryFiles memory;
    memory.MakeFolder("/m");
    EXPECT_EQ(Script(memory, "/m"), expected);
}

TEST(MemoryFiles, RecordsWhatAPowerLossCouldUndo)
{
    using K = FileChange::Kind;
    MemoryFiles fs({{"/d/img", Bytes(3 * MemoryFiles::kPage, 0)}});
    fs.LimitSpace(4 * MemoryFiles::kPage + 3);
    kdx::File img(fs);
    ASSERT_TRUE(kdx::OpenReadWrite(img, "/d/img"));
    {
        kdx::MappedRegion map;
        ASSERT_TRUE(img.Map(3 * MemoryFiles::kPage, map));
        map.Data()[5] = 1;
        map.Data()[2 * MemoryFiles::kPage + 7] = 2;
    }  // unmapped: the two changed pages reach the file, the page between does not
    EXPECT_TRUE(img.SyncData());
    EXPECT_FALSE(img.SetLength(4 * MemoryFiles::kPage + 4));
    EXPECT_EQ(img.LastError(), ENOSPC);
    EXPECT_TRUE(img.SetLength(4 * MemoryFiles::kPage));
    EXPECT_TRUE(img.Close());
    kdx::File part(fs);
    ASSERT_TRUE(part.Create("/d/p.part"));
    EXPECT_TRUE(part.WriteAt(0, "new", 3));
    part.Close();
    EXPECT_EQ(kdx::RenameFile("/d/p.part", "/d/p", fs), 0);
    EXPECT_EQ(kdx::SyncFolderOf("/d/p", fs), 0);
    EXPECT_EQ(kdx::RemoveFile("/d/p", fs), 0);

    std::vector<std::string> record;
    for (const FileChange& c : fs.Record()) {
        const std::map<K, std::string> names = {{K::Write, "write"}, {K::SetLength, "length"}, {K::Grow, "grow"},
                                                {K::Sync, "sync"}, {K::Create, "create"}, {K::Rename, "rename"},
                                                {K::Remove, "remove"}, {K::SyncFolder, "folder"}};
        record.push_back(names.at(c.kind) + " " + std::to_string(c.file) + " " + c.path + c.to + " " +
                         std::to_string(c.offset) + "+" + std::to_string(c.bytes.size()));
    }
    EXPECT_EQ(record, (std::vector<std::string>{
                          "write 1  0+4096", "write 1  8192+4096", "sync 1  0+0", "length 1  16384+0",
                          "create 2 /d/p.part 0+0", "write 2  0+3", "rename 2 /d/p.part/d/p 0+0",
                          "folder -1 /d 0+0", "remove 2 /d/p 0+0"}));
}

}  // namespace
