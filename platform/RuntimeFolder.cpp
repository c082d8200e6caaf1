#include "platform/RuntimeFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/UniqueFd.h"

namespace kelm {

namespace {

bool Fail(std::string* error, const std::string& folder, const std::string& why) {
    if (error != nullptr) *error = folder + ": " + why;
    return false;
}

}  // namespace

bool EnsurePrivateFolder(const std::string& folder, std::string* error) {
    if (folder.empty()) return Fail(error, folder, "no folder named");
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return Fail(error, folder, std::strerror(errno));
    // Checked and tightened through a descriptor of the folder itself, so
    // that swapping the name for a link between the check and the chmod
    // changes nothing.
    UniqueFd fd(Sys().Open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW, 0));
    if (!fd) {
        if (errno == ELOOP || errno == ENOTDIR) return Fail(error, folder, "is not a folder (or is a symbolic link)");
        return Fail(error, folder, std::strerror(errno));
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) return Fail(error, folder, std::strerror(errno));
    if (st.st_uid != ::geteuid()) return Fail(error, folder, "belongs to another user");
    if ((st.st_mode & 077) != 0 && Sys().Fchmod(fd.Get(), st.st_mode & 0700) != 0)
        return Fail(error, folder, std::string("cannot make it private: ") + std::strerror(errno));
    return true;
}

std::string RuntimeFolder(std::string* error) {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    const std::string folder = xdg != nullptr && *xdg != '\0'
                                   ? std::string(xdg) + "/VELDAN"
                                   : "/tmp/VELDAN-" + std::to_string(static_cast<unsigned long>(::geteuid()));
    return EnsurePrivateFolder(folder, error) ? folder : std::string{};
}

}  // namespace kelm
