// One INI settings file: read and parsed once when opened, changed in
// memory, and written back whole and atomically by Save. Reading a file
// once per key, as the Windows profile functions do, would parse a full
// profile file 80 times per load.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileIo.h"
#include "settings/IniDocument.h"

namespace kelm {

class IniFile {
public:
    // Opens path; a missing file reads as empty and is created by Save.
    explicit IniFile(std::string path);
    // A file whose bytes the caller has already read.
    IniFile(std::string path, std::string_view contents);
    // A file the caller has already read, taken over without copying it.
    IniFile(std::string path, FileContents contents);

    const std::string& Path() const { return path_; }
    // False when the file exists but could not be read: Save then refuses,
    // so that an unreadable file is never replaced by one holding only the
    // keys written since.
    bool Readable() const { return readable_; }

    // The value as stored, or nothing when the key is missing.
    std::optional<std::string_view> Lookup(std::string_view section, std::string_view key) const {
        return doc_.Get(section, key);
    }
    std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
    std::int32_t ReadInt(std::string_view section, std::string_view key, std::int32_t fallback) const;
    bool ReadStruct(std::string_view section, std::string_view key, void* buffer, std::size_t size) const;
    std::vector<std::string> ListSections() const { return doc_.SectionNames(); }

    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInt(std::string_view section, std::string_view key, std::int32_t value);
    void WriteStruct(std::string_view section, std::string_view key, const void* buffer, std::size_t size);
    // Drops every section, as deleting the file before rewriting it would;
    // the file's old content no longer matters, so Save may replace it.
    void Clear();

    // Writes the file when anything changed; true when it is on disk.
    bool Save();

private:
    void Adopt(FileContents contents);

    std::string path_;
    IniDocument doc_;
    bool readable_ = true;
    bool dirty_ = false;
};

// The leading decimal number of text, as the Windows integer reads take
// it: optional sign, then digits; anything else gives 0. Clamped to int32.
std::int32_t ParseLeadingInt(std::string_view text);

}  // namespace kelm
