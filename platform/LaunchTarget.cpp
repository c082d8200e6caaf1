#include "platform/LaunchTarget.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>

#include "platform/DesktopEntries.h"
#include "platform/UniqueFd.h"

namespace kelm {

namespace {

// A scheme of two letters or more, so that "C:\Games\x.exe" of a profile
// made on Windows is no address.
bool IsAddress(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon < 2 || !std::isalpha(static_cast<unsigned char>(text[0])))
        return false;
    for (std::size_t i = 1; i < colon; ++i) {
        const char c = text[i];
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

// Files on FAT and NTFS mounts all carry the execute bit: only what the
// kernel can run (a binary or a script with its interpreter line) is a
// program, so a song there opens in the player instead of failing to start.
bool IsProgram(const std::string& path, const struct stat& st) {
    if (!S_ISREG(st.st_mode) || ::access(path.c_str(), X_OK) != 0) return false;
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd) return false;
    char head[4] = {};
    const ssize_t n = ::read(fd.Get(), head, sizeof head);
    return (n >= 2 && head[0] == '#' && head[1] == '!') ||
           (n == 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F');
}

}  // namespace

std::optional<LaunchTarget> ResolveLaunchTarget(std::string_view text, const std::string& workingFolder) {
    if (text.empty()) return std::nullopt;
    if (IsAddress(text)) return LaunchTarget{LaunchTarget::Kind::Document, std::string(text)};
    std::string path;
    if (text.front() == '/') {
        path = text;
    } else {
        if (workingFolder.empty() || workingFolder.front() != '/') return std::nullopt;
        path = workingFolder + (workingFolder.back() == '/' ? "" : "/") + std::string(text);
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        // A bare program name, as the Run box takes one.
        if (text.find('/') == std::string_view::npos)
            if (auto program = FindProgram(text)) return LaunchTarget{LaunchTarget::Kind::Program, *program};
        return std::nullopt;
    }
    return LaunchTarget{IsProgram(path, st) ? LaunchTarget::Kind::Program : LaunchTarget::Kind::Document, path};
}

std::string WorkingFolder() {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr || buffer[0] != '/') return "/";
    return buffer;
}

}  // namespace kelm
