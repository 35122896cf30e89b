#include "tests/support/TempFiles.h"

#include "kdx/File.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace testsupport {

namespace {
// Paths are UTF-8 strings in the program; std::filesystem would read a
// plain string in the ANSI code page on Windows.
std::filesystem::path Utf8Path(const std::string& path) { return std::u8string(path.begin(), path.end()); }
}  // namespace

TempDir::TempDir()
{
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = std::filesystem::temp_directory_path() / ("mendrix-test-" + std::to_string(random()));
        // Made by this call alone, so no other test shares it.
        if (std::filesystem::create_directory(path_)) return;
    }
    throw std::runtime_error("cannot make a temporary folder");
}

std::string TempDir::File(const std::string& name) const
{
    const std::u8string path = (path_ / Utf8Path(name)).u8string();
    return std::string(path.begin(), path.end());
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Read-only folders made by a test must not keep their contents alive.
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ec))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(Utf8Path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(Utf8Path(path), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool HeldOpen(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(Utf8Path(path), ec)) return false;
    // The file layer opens without sharing: it is refused while another handle holds the file.
    kdx::File file;
    return !kdx::OpenReadOnly(file, path);
}

}  // namespace testsupport
