#include "bench/Baselines.h"

#include <cstring>
#include <string_view>

#include "platform/FileIo.h"
#include "settings/IniDocument.h"
#include "settings/SettingsRecord.h"
#include "settings/Text.h"

namespace kelm::bench {

std::vector<std::string> StoreFiles(const StoreLocation& where) {
    std::vector<std::string> paths{where.ConfigPath()};
    for (int slot = 0; slot < kProfileCount; ++slot) paths.push_back(where.ProfilePath(slot));
    paths.push_back(where.registryFile);
    return paths;
}

std::vector<StoredValue> CollectValues(const std::vector<std::string>& paths) {
    std::vector<StoredValue> values;
    for (const std::string& path : paths) {
        const FileContents file = ReadWholeFile(path);
        std::string_view text = file.bytes;
        std::string section;
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            const std::string_view line = Trim(text.substr(0, end));
            text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
            const std::size_t eq = line.find('=');
            if (!line.empty() && line.front() == '[')
                section = std::string(Trim(line.substr(1, line.rfind(']') - 1)));
            else if (eq != std::string_view::npos)
                values.push_back(
                    {path, section, std::string(Trim(line.substr(0, eq))), std::string(Trim(line.substr(eq + 1)))});
        }
    }
    return values;
}

std::size_t ReadFloor(const std::vector<std::string>& paths) {
    std::size_t lines = 0;
    for (const std::string& path : paths) {
        const FileContents file = ReadWholeFile(path);
        const char* p = file.bytes.data();
        const char* end = p + file.bytes.size();
        while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) != nullptr) {
            ++lines;
            ++p;
        }
    }
    return lines;
}

std::vector<FileBytes> Snapshot(const std::vector<std::string>& paths) {
    std::vector<FileBytes> files;
    for (const std::string& path : paths) files.push_back({path, ReadWholeFile(path).bytes});
    return files;
}

bool WriteFloor(const std::vector<FileBytes>& files) {
    bool ok = true;
    for (const FileBytes& file : files) ok = ReplaceFileAtomically(file.path, file.bytes) && ok;
    return ok;
}

std::size_t LoadWindowsWay(const std::vector<StoredValue>& values) {
    std::size_t found = 0;
    for (const StoredValue& v : values) {
        const IniDocument doc = IniDocument::ParseOwned(ReadWholeFile(v.path).bytes);
        if (const auto value = doc.Get(v.section, v.key)) found += value->size();
    }
    return found;
}

bool SaveWindowsWay(const std::vector<StoredValue>& values) {
    bool ok = true;
    for (const StoredValue& v : values) {
        IniDocument doc = IniDocument::ParseOwned(ReadWholeFile(v.path).bytes);
        doc.Set(v.section, v.key, v.value);
        ok = ReplaceFileAtomically(v.path, doc.Serialize()) && ok;
    }
    return ok;
}

}  // namespace kelm::bench
