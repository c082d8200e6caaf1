#include "platform/ObjectPaths.h"

#include "platform/Debug.h"
#include "platform/RuntimeFolder.h"

namespace kelm {

namespace {

std::string PathIn(const char* subfolder, std::string_view name) {
    const std::string file = ObjectFileName(name);
    if (file.empty()) return {};
    std::string error;
    const std::string runtime = RuntimeFolder(&error);
    const std::string folder = runtime + "/" + subfolder;
    if (runtime.empty() || !EnsurePrivateFolder(folder, &error)) {
        DebugOutput("Platform: %s\n", error.c_str());
        return {};
    }
    return folder + "/" + file;
}

}  // namespace

std::string ObjectFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return {};
    std::string file(name);
    for (char& c : file)
        if (c == '/' || c == '\0') c = '_';
    return file;
}

std::string EndpointPath(std::string_view title) { return PathIn("windows", title); }

std::string SharedObjectPath(std::string_view name) { return PathIn("shm", name); }

}  // namespace kelm
