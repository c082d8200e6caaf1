// Whole-file reads, and whole-file replacement that is crash-safe and
// serialised between the programs that write the same file.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "platform/UniqueFd.h"

namespace kelm {

enum class ReadStatus { Ok, Missing, Failed };

struct FileContents {
    ReadStatus status = ReadStatus::Missing;
    std::string bytes;
};

// Reads all of path, retrying EINTR and short reads. A file that does not
// exist is Missing; any other failure is Failed so that callers never take
// an unreadable file for an empty one and overwrite it.
FileContents ReadWholeFile(const std::string& path);

// Writes all bytes to fd, retrying EINTR and short writes.
bool WriteAll(int fd, std::string_view bytes);

// How long a save waits for another writer of the same file to finish:
// saves take milliseconds, and a program waiting this long for one has met
// a writer that hangs.
inline constexpr std::chrono::milliseconds kSaveLockPatience{2000};

// One rewrite of a file, serialised with every other rewrite of the same
// file in this process or another: an exclusive flock on the hidden
// ".<name>.lock" beside the file (beside the file it points to when path is
// a symbolic link), taken before the file is read and let go once the new
// file is in place; the holder removes the lock file as it lets go. Readers
// take no lock, as the replace shows them one whole file or the other.
class FileUpdate {
public:
    // Waits up to patience for the lock. Without it (errno EWOULDBLOCK when
    // another writer kept it that long) Replace refuses.
    explicit FileUpdate(const std::string& path, std::chrono::milliseconds patience = kSaveLockPatience);
    ~FileUpdate();
    FileUpdate(const FileUpdate&) = delete;
    FileUpdate& operator=(const FileUpdate&) = delete;

    bool Locked() const { return static_cast<bool>(lock_); }
    // The file as it is now; no other writer changes it until this update ends.
    FileContents Read() const { return ReadWholeFile(path_); }
    // Replaces the file with bytes so that a crash or failure at any moment
    // leaves either the old file or the new one, never a mixture: the bytes
    // go to a temporary file ".<name>.tmp-XXXXXX" in the same folder, are
    // flushed, and the temporary file is renamed over the file. An existing
    // file keeps its permission bits; a new one gets 0666 less the umask; a
    // symbolic link stays and the file it points to is replaced. Temporary
    // files of the same file left by saves that died first are removed: every
    // save writes its own only while it holds the lock, so any found now has
    // no writer.
    bool Replace(std::string_view bytes);

private:
    std::string path_;    // as given; a link is read through
    std::string target_;  // the file replaced
    std::string lockPath_;
    UniqueFd lock_;
};

// A FileUpdate that only replaces.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// Removes path; a path that is already gone counts as removed.
bool RemoveFile(const std::string& path);

bool FileExists(const std::string& path);

}  // namespace kelm
