#include "desktop/DesktopFiles.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace desktop {

namespace fs = std::filesystem;

int MakeFolder(const fs::path& folder)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) return ec.value();
    return fs::is_directory(folder, ec) ? 0 : ENOTDIR;
}

namespace {

bool WriteAll(int fd, const std::string& content)
{
    const char* at = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t n = write(fd, at, left);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = ENOSPC;
        if (n <= 0) return false;
        at += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

int ReplaceFile(const fs::path& path, const std::string& content)
{
    std::error_code ec;
    fs::path target = path;
    if (fs::is_symlink(path, ec)) {
        const fs::path resolved = fs::weakly_canonical(path, ec);
        if (!ec) target = resolved;
    }
    // The replacement keeps the mode of the file it replaces.
    struct stat old {};
    const mode_t mode = stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode) ? (old.st_mode & 07777) : 0644;

    std::string name = ".";
    name.append(target.filename().string()).append(".XXXXXX");
    std::string temp = (target.parent_path() / name).string();
    const int fd = mkstemp(temp.data());
    if (fd < 0) return errno;
    int error = 0;
    if (!WriteAll(fd, content) || fchmod(fd, mode) != 0 || fsync(fd) != 0) error = errno != 0 ? errno : EIO;
    if (close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && rename(temp.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) unlink(temp.c_str());
    return error;
}

std::optional<std::string> ReadTextFile(const fs::path& path)
{
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) return std::string();
    if (ec || status.type() != fs::file_type::regular) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return text;
}

namespace {

std::optional<std::string> FindOnPath(const std::string& program)
{
    const char* env = std::getenv("PATH");
    const std::string path = env != nullptr ? env : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find(':', start), path.size());
        const std::string folder = path.substr(start, end - start);
        // An empty entry is the current folder, which is never searched here.
        if (!folder.empty() && folder.front() == '/') {
            std::string candidate = folder;
            candidate.append("/").append(program);
            struct stat st {};
            if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        start = end + 1;
    }
    return std::nullopt;
}

}  // namespace

bool RunQuietly(const std::string& program, const std::vector<std::string>& args)
{
    const std::optional<std::string> found = FindOnPath(program);
    if (!found) return false;

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return false;
    for (int fd = 0; fd <= 2; ++fd)
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, found->c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;

    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace desktop
