// An INI file held in memory with the lookup rules of the Windows private
// profile functions: section and key names compared without case, the
// first match wins, blanks around names and values ignored. Lines it does
// not change are written back exactly as they were read.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelm {

class IniDocument {
public:
    static IniDocument Parse(std::string_view text);

    // Lines are joined with CRLF, as the Windows programs write them.
    std::string Serialize() const;

    std::optional<std::string_view> Get(std::string_view section, std::string_view key) const;
    // Line breaks in a value would start new keys in the file; they are
    // written as blanks.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    std::vector<std::string> SectionNames() const;
    bool Empty() const { return sections_.empty(); }

private:
    struct Line {
        std::string raw;
        bool isEntry = false;
        std::size_t keyBegin = 0, keyLength = 0, valueBegin = 0, valueLength = 0;
        std::string_view Key() const { return std::string_view(raw).substr(keyBegin, keyLength); }
        std::string_view Value() const { return std::string_view(raw).substr(valueBegin, valueLength); }
    };
    struct Section {
        std::string header;  // the raw "[name]" line; empty for lines before the first section
        std::string name;
        bool hasHeader = false;
        std::vector<Line> lines;
    };

    static Line ParseLine(std::string raw);
    const Section* FindSection(std::string_view name) const;
    Section* FindSection(std::string_view name);

    std::vector<Section> sections_;
};

}  // namespace kelm
