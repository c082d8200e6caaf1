#include "settings/IniFile.h"

#include <cstdio>
#include <limits>

#include "platform/FileIo.h"
#include "settings/StructCodec.h"

namespace kelm {

IniFile::IniFile(std::string path) : path_(std::move(path)) { Adopt(ReadWholeFile(path_)); }

IniFile::IniFile(std::string path, FileContents contents) : path_(std::move(path)) { Adopt(std::move(contents)); }

void IniFile::Adopt(FileContents contents) {
    readable_ = contents.status != ReadStatus::Failed;
    if (contents.status == ReadStatus::Ok) doc_ = IniDocument::ParseOwned(std::move(contents.bytes));
}

IniFile::IniFile(std::string path, std::string_view contents)
    : path_(std::move(path)), doc_(IniDocument::Parse(contents)) {}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view fallback) const {
    const auto value = doc_.Get(section, key);
    return std::string(value ? *value : fallback);
}

std::int32_t ParseLeadingInt(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) break;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

std::int32_t IniFile::ReadInt(std::string_view section, std::string_view key, std::int32_t fallback) const {
    const auto value = doc_.Get(section, key);
    if (!value || value->empty()) return fallback;
    return ParseLeadingInt(*value);
}

bool IniFile::ReadStruct(std::string_view section, std::string_view key, void* buffer, std::size_t size) const {
    const auto value = doc_.Get(section, key);
    return value && DecodeStruct(*value, buffer, size);
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    if (doc_.Set(section, key, value)) dirty_ = true;
}

void IniFile::WriteInt(std::string_view section, std::string_view key, std::int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    WriteString(section, key, text);
}

void IniFile::WriteStruct(std::string_view section, std::string_view key, const void* buffer, std::size_t size) {
    WriteString(section, key, EncodeStruct(buffer, size));
}

void IniFile::Clear() {
    doc_ = IniDocument{};
    readable_ = true;
    dirty_ = true;
}

bool IniFile::Save() {
    if (!readable_) return false;
    if (!dirty_) return true;
    if (!ReplaceFileAtomically(path_, doc_.Serialize())) return false;
    dirty_ = false;
    return true;
}

}  // namespace kelm
