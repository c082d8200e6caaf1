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
    : path_(std::move(path)), doc_(IniDocument::Parse(contents)), whole_(true) {}

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
    // A value written as it was read is no change of ours: should another
    // program change it before we save, its value stays.
    if (!doc_.Set(section, key, value)) return;
    dirty_ = true;
    if (!whole_) edits_.push_back({std::string(section), std::string(key), std::string(value)});
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
    edits_.clear();
    readable_ = true;
    dirty_ = true;
    whole_ = true;
}

bool IniFile::Save() {
    if (!readable_) return false;
    if (!dirty_) return true;
    FileUpdate update(path_);
    if (!update.Locked()) return false;
    if (!whole_) {
        FileContents now = update.Read();
        if (now.status == ReadStatus::Failed) return false;
        if (now.bytes != Basis()) {
            IniDocument merged = IniDocument::ParseOwned(std::move(now.bytes));
            for (const Edit& edit : edits_) merged.Set(edit.section, edit.key, edit.value);
            doc_ = std::move(merged);
            written_.reset();
        }
    }
    std::string bytes = doc_.Serialize();
    if (!update.Replace(bytes)) return false;
    written_ = std::move(bytes);
    edits_.clear();
    dirty_ = false;
    whole_ = false;
    return true;
}

}  // namespace kelm
