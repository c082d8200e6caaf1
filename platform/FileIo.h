// Whole-file reads and crash-safe whole-file replacement.
#pragma once

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

// Replaces path with bytes so that a crash or failure at any moment leaves
// either the old file or the new one, never a mixture: the bytes go to a
// temporary file in the same folder, are flushed, and the temporary file is
// renamed over path. An existing file keeps its permission bits; a new one
// gets 0666 less the umask. When path is a symbolic link, the file it points
// to is replaced and the link stays.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// Removes path; a path that is already gone counts as removed.
bool RemoveFile(const std::string& path);

bool FileExists(const std::string& path);

}  // namespace kelm
