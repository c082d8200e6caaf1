#include "platform/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/FileLock.h"

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

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Marked, so that a user's own hidden file beside the settings file
// (".config.ini.backup") is never taken for a save's and removed.
std::string TemporaryPrefix(const std::string& name) { return "." + name + ".tmp-"; }
constexpr std::size_t kTemporaryUnique = 6;  // mkstemp's XXXXXX

bool IsTemporaryOf(std::string_view entry, const std::string& prefix) {
    if (entry.size() != prefix.size() + kTemporaryUnique || !entry.starts_with(prefix)) return false;
    entry.remove_prefix(prefix.size());
    return std::all_of(entry.begin(), entry.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
}

void RemoveTemporaries(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> entries;
    if (Sys().ListFolder(folder.c_str(), entries) != 0) return;  // they wait for the next save
    for (const std::string& entry : entries)
        if (IsTemporaryOf(entry, prefix)) Sys().Unlink((folder + "/" + entry).c_str());
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

FileUpdate::FileUpdate(const std::string& path, std::chrono::milliseconds patience)
    : path_(path), target_(ReplacedPath(path)) {
    // Beside the file replaced, so that saves through a link and saves to
    // the file itself take the same lock.
    lockPath_ = FolderOf(target_) + "/." + NameOf(target_) + ".lock";
    lock_ = LockFileExclusive(lockPath_, patience);
}

FileUpdate::~FileUpdate() {
    if (!lock_) return;
    const int saved = errno;
    Sys().Unlink(lockPath_.c_str());
    lock_.Reset();
    errno = saved;
}

bool FileUpdate::Replace(std::string_view bytes) {
    if (!lock_) return false;
    const std::string folder = FolderOf(target_);
    const std::string prefix = TemporaryPrefix(NameOf(target_));
    RemoveTemporaries(folder, prefix);
    std::string tmpl = folder + "/" + prefix + std::string(kTemporaryUnique, 'X');
    std::vector<char> tmpPath(tmpl.begin(), tmpl.end());
    tmpPath.push_back('\0');
    UniqueFd fd(Sys().MkTemp(tmpPath.data()));
    if (!fd) return false;
    // A file system without Unix permissions (a FAT stick) refuses the
    // change; the file then keeps mkstemp's owner-only bits, which is no
    // reason to lose the save.
    Sys().Fchmod(fd.Get(), ModeForNewFile(target_));
    const bool written = WriteAll(fd.Get(), bytes) && Sys().Fsync(fd.Get()) == 0;
    const bool closed = fd.Close();
    if (!written || !closed || Sys().Rename(tmpPath.data(), target_.c_str()) != 0) {
        const int why = errno;
        Sys().Unlink(tmpPath.data());
        errno = why;
        return false;
    }
    SyncFolder(folder);
    return true;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
    FileUpdate update(path);
    return update.Replace(bytes);
}

bool RemoveFile(const std::string& path) { return Sys().Unlink(path.c_str()) == 0 || errno == ENOENT; }

bool FileExists(const std::string& path) {
    UniqueFd fd(Sys().Open(path.c_str(), O_RDONLY, 0));
    return static_cast<bool>(fd);
}

}  // namespace kelm
