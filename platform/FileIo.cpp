#include "platform/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace kelm {

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The process's file-creation mask, read without changing it: umask() can
// only be read by setting it, and a file another thread creates in that
// moment would get no mask at all.
mode_t CurrentUmask() {
    std::FILE* status = std::fopen("/proc/self/status", "re");
    if (status == nullptr) return 022;
    char line[256];
    mode_t mask = 022;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        unsigned value = 0;
        if (std::sscanf(line, "Umask: %o", &value) == 1) {
            mask = static_cast<mode_t>(value & 0777);
            break;
        }
    }
    std::fclose(status);
    return mask;
}

mode_t ModeForNewFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
    return 0666 & ~CurrentUmask();
}

// A settings file that is a symbolic link (kept by a dotfile manager, say)
// stays one: the file it points to is replaced, not the link.
std::string ReplacedPath(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* target = ::realpath(path.c_str(), nullptr);
    if (target == nullptr) return path;
    std::string resolved(target);
    std::free(target);
    return resolved;
}

// The rename is durable only once the folder entry itself is on disk.
void SyncFolder(const std::string& folder) {
    UniqueFd dir(Sys().Open(folder.c_str(), O_RDONLY | O_DIRECTORY, 0));
    if (dir) Sys().Fsync(dir.Get());
}

}  // namespace

FileContents ReadWholeFile(const std::string& path) {
    FileContents out;
    UniqueFd fd;
    for (;;) {
        fd.Reset(Sys().Open(path.c_str(), O_RDONLY, 0));
        if (fd || errno != EINTR) break;
    }
    if (!fd) {
        out.status = (errno == ENOENT || errno == ENOTDIR) ? ReadStatus::Missing : ReadStatus::Failed;
        return out;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) == 0 && S_ISREG(st.st_mode)) out.bytes.reserve(static_cast<std::size_t>(st.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t n = Sys().Read(fd.Get(), chunk, sizeof chunk);
        if (n > 0) {
            out.bytes.append(chunk, static_cast<std::size_t>(n));
        } else if (n == 0) {
            out.status = ReadStatus::Ok;
            return out;
        } else if (errno != EINTR) {
            out.status = ReadStatus::Failed;
            out.bytes.clear();
            return out;
        }
    }
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = Sys().Write(fd, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
        } else if (n < 0 && errno != EINTR) {
            return false;
        } else if (n == 0) {
            errno = EIO;
            return false;
        }
    }
    return true;
}

bool ReplaceFileAtomically(const std::string& linkOrPath, std::string_view bytes) {
    const std::string path = ReplacedPath(linkOrPath);
    const std::string folder = FolderOf(path);
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string tmpl = folder + "/." + name + ".XXXXXX";
    std::vector<char> tmpPath(tmpl.begin(), tmpl.end());
    tmpPath.push_back('\0');
    UniqueFd fd(Sys().MkTemp(tmpPath.data()));
    if (!fd) return false;
    // A file system without Unix permissions (a FAT stick) refuses the
    // change; the file then keeps mkstemp's owner-only bits, which is no
    // reason to lose the save.
    Sys().Fchmod(fd.Get(), ModeForNewFile(path));
    const bool written = WriteAll(fd.Get(), bytes) && Sys().Fsync(fd.Get()) == 0;
    const bool closed = fd.Close();
    if (!written || !closed || Sys().Rename(tmpPath.data(), path.c_str()) != 0) {
        Sys().Unlink(tmpPath.data());
        return false;
    }
    SyncFolder(folder);
    return true;
}

bool RemoveFile(const std::string& path) { return Sys().Unlink(path.c_str()) == 0 || errno == ENOENT; }

bool FileExists(const std::string& path) {
    UniqueFd fd(Sys().Open(path.c_str(), O_RDONLY, 0));
    return static_cast<bool>(fd);
}

}  // namespace kelm
