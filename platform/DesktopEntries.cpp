#include "platform/DesktopEntries.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <fstream>

#include "platform/Environment.h"

namespace kelm {

namespace {

std::vector<std::string> SplitList(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        if (end > start) parts.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

// The value of key in [group] of a desktop-entry style file. Keys with a
// locale ("Name[de]") are other keys.
std::optional<std::string> GroupValue(const std::string& path, std::string_view group, std::string_view key) {
    std::ifstream in(path);
    std::string line;
    bool inGroup = false;
    while (std::getline(in, line)) {
        const std::string_view text = TrimBlanks(line);
        if (text.empty() || text.front() == '#') continue;
        if (text.front() == '[') {
            inGroup = text == "[" + std::string(group) + "]";
            continue;
        }
        if (!inGroup) continue;
        const std::size_t equals = text.find('=');
        if (equals == std::string_view::npos || TrimBlanks(text.substr(0, equals)) != key) continue;
        return std::string(TrimBlanks(text.substr(equals + 1)));
    }
    return std::nullopt;
}

// The escapes every desktop-entry string may hold.
std::string Unescape(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                out += '\\';
                out += value[i];
                break;
        }
    }
    return out;
}

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::vector<std::string> MimeAppsLists() {
    std::vector<std::string> desktops;
    for (std::string name : SplitList(EnvOr("XDG_CURRENT_DESKTOP"), ':')) {
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        desktops.push_back(name);
    }
    std::vector<std::string> folders{XdgConfigHome()};
    for (const std::string& folder : SplitList(EnvOr("XDG_CONFIG_DIRS", "/etc/xdg"), ':')) folders.push_back(folder);
    for (const std::string& folder : ApplicationFolders()) folders.push_back(folder);
    std::vector<std::string> files;
    for (const std::string& folder : folders) {
        for (const std::string& desktop : desktops) files.push_back(folder + "/" + desktop + "-mimeapps.list");
        files.push_back(folder + "/mimeapps.list");
    }
    return files;
}

std::optional<std::string> FirstInstalled(const std::optional<std::string>& ids) {
    if (!ids) return std::nullopt;
    for (const std::string& id : SplitList(*ids, ';')) {
        const std::string_view trimmed = TrimBlanks(id);
        if (!trimmed.empty() && FindDesktopFile(trimmed)) return std::string(trimmed);
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::string> ApplicationFolders() {
    std::vector<std::string> folders{XdgDataHome() + "/applications"};
    for (const std::string& folder : SplitList(EnvOr("XDG_DATA_DIRS", "/usr/local/share:/usr/share"), ':'))
        folders.push_back(folder + "/applications");
    return folders;
}

std::optional<std::string> FindDesktopFile(std::string_view desktopId) {
    // An id is a file name: anything that walks out of the folders is none.
    if (desktopId.empty() || desktopId.find('/') != std::string_view::npos || desktopId.front() == '.')
        return std::nullopt;
    for (const std::string& folder : ApplicationFolders()) {
        const std::string path = folder + "/" + std::string(desktopId);
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return path;
    }
    return std::nullopt;
}

std::optional<std::vector<std::string>> SplitExec(std::string_view exec) {
    const std::string text = Unescape(exec);
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;    // inside "..."
    bool onlyCodes = true;  // nothing but field codes so far
    const auto finish = [&] {
        if (inArgument && !(onlyCodes && current.empty())) arguments.push_back(current);
        current.clear();
        inArgument = false;
        onlyCodes = true;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < text.size() &&
                       std::string_view("\"`$\\").find(text[i + 1]) != std::string_view::npos) {
                current += text[++i];
            } else {
                current += c;
            }
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n') {
            finish();
            continue;
        }
        inArgument = true;
        if (c == '"') {
            quoted = true;
            onlyCodes = false;
        } else if (c == '%' && i + 1 < text.size()) {
            const char code = text[++i];
            if (code == '%') {
                current += '%';
                onlyCodes = false;
            }
            // Every other code stands for files, URLs, an icon or a name,
            // none of which a plain start has.
        } else {
            current += c;
            onlyCodes = false;
        }
    }
    if (quoted) return std::nullopt;
    finish();
    return arguments;
}

std::optional<std::vector<std::string>> DesktopLaunchCommand(const std::string& desktopFile) {
    constexpr std::string_view kGroup = "Desktop Entry";
    if (GroupValue(desktopFile, kGroup, "Type").value_or("") != "Application") return std::nullopt;
    if (GroupValue(desktopFile, kGroup, "Hidden").value_or("") == "true") return std::nullopt;
    const auto exec = GroupValue(desktopFile, kGroup, "Exec");
    if (!exec) return std::nullopt;
    auto arguments = SplitExec(*exec);
    if (!arguments || arguments->empty()) return std::nullopt;
    if (const auto tryExec = GroupValue(desktopFile, kGroup, "TryExec"))
        if (!FindProgram(Unescape(*tryExec))) return std::nullopt;
    const auto program = FindProgram(arguments->front());
    if (!program) return std::nullopt;
    arguments->front() = *program;
    return arguments;
}

std::optional<std::string> DefaultApplication(std::string_view mimeType) {
    for (const std::string& list : MimeAppsLists())
        if (auto id = FirstInstalled(GroupValue(list, "Default Applications", mimeType))) return id;
    for (const std::string& folder : ApplicationFolders())
        if (auto id = FirstInstalled(GroupValue(folder + "/mimeinfo.cache", "MIME Cache", mimeType))) return id;
    return std::nullopt;
}

std::optional<std::string> FindProgram(std::string_view name) {
    if (name.empty()) return std::nullopt;
    if (name.find('/') != std::string_view::npos) {
        const std::string path(name);
        if (path.front() == '/' && IsExecutableFile(path)) return path;
        return std::nullopt;
    }
    for (const std::string& folder : SplitList(EnvOr("PATH", "/usr/local/bin:/usr/bin:/bin"), ':')) {
        if (folder.front() != '/') continue;
        const std::string path = folder + "/" + std::string(name);
        if (IsExecutableFile(path)) return path;
    }
    return std::nullopt;
}

}  // namespace kelm
