// One INI settings file: read and parsed once when opened, changed in
// memory, and written back whole and atomically by Save. Reading a file
// once per key, as the Windows profile functions do, would parse a full
// profile file 80 times per load. Those functions also read the file
// afresh for every write, so that a key another program wrote in between
// survived; Save keeps that by setting only the keys changed here in the
// file as it is when saved.
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
    // A document the caller holds for path: bytes it has already read, or ""
    // for a new file. Save writes the document whole, whatever the file
    // holds by then.
    IniFile(std::string path, std::string_view contents);
    // path as the caller has just read it, taken over without copying; saved
    // like a file opened by path.
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
    // the file's old content no longer matters, so Save replaces it whole.
    void Clear();

    // Writes the file when anything changed; true when it is on disk. Under
    // the file's lock (FileUpdate) the file is read again and the values
    // changed here since it was read are set in it; keys this object did not
    // change keep what the file holds then. False when another writer keeps
    // the lock longer than kSaveLockPatience (errno EWOULDBLOCK), when the
    // file exists but cannot be read, or when it cannot be written.
    bool Save();

private:
    struct Edit {
        std::string section, key, value;
    };

    void Adopt(FileContents contents);
    // The file's bytes that doc_ stands on, to learn whether anyone saved since.
    std::string_view Basis() const { return written_ ? std::string_view(*written_) : doc_.Source(); }

    std::string path_;
    IniDocument doc_;
    std::vector<Edit> edits_;             // in the order they were made
    std::optional<std::string> written_;  // what the last Save wrote
    bool readable_ = true;
    bool dirty_ = false;
    bool whole_ = false;  // doc_ replaces the file rather than updating it
};

// The leading decimal number of text, as the Windows integer reads take
// it: optional sign, then digits; anything else gives 0. Clamped to int32.
std::int32_t ParseLeadingInt(std::string_view text);

}  // namespace kelm
