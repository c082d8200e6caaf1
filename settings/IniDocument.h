// An INI file held in memory with the lookup rules of the Windows private
// profile functions: section and key names compared without case, the
// first match wins, blanks around names and values ignored, one pair of
// quotes around a value dropped. Lines it does not change are written back
// exactly as they were read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelm {

class IniDocument {
public:
    static IniDocument Parse(std::string_view text);
    // The same, keeping text itself rather than a copy of it.
    static IniDocument ParseOwned(std::string text);

    // Lines are joined with CRLF, as the Windows programs write them.
    std::string Serialize() const;
    // The text the document was parsed from, without the changes since.
    const std::string& Source() const { return text_; }

    std::optional<std::string_view> Get(std::string_view section, std::string_view key) const;
    // Line breaks in a value would start new keys in the file; they are
    // written as blanks. False when the key already held the value: its line
    // is then kept exactly as it was read.
    bool Set(std::string_view section, std::string_view key, std::string_view value);
    std::vector<std::string> SectionNames() const;
    bool Empty() const { return sections_.empty(); }

private:
    // A line as read stays in the document's text, so that parsing a file
    // copies it once rather than line by line; a line written by Set holds
    // its own text. Key and value positions are within the line.
    struct Line {
        std::size_t begin = 0, length = 0;
        std::optional<std::string> own;
        bool isEntry = false;
        std::uint32_t keyHash = 0;  // NoCaseHash of the key
        std::size_t keyBegin = 0, keyLength = 0, valueBegin = 0, valueLength = 0;
    };
    struct Section {
        std::string header;  // the raw "[name]" line; empty for lines before the first section
        std::string name;
        bool hasHeader = false;
        std::vector<Line> lines;
    };

    static void ParseLine(Line& line, std::string_view raw);
    static Line OwnLine(std::string raw);
    std::string_view Raw(const Line& l) const {
        return l.own ? std::string_view(*l.own) : std::string_view(text_).substr(l.begin, l.length);
    }
    std::string_view Key(const Line& l) const { return Raw(l).substr(l.keyBegin, l.keyLength); }
    std::string_view Value(const Line& l) const { return Raw(l).substr(l.valueBegin, l.valueLength); }
    const Section* FindSection(std::string_view name) const;
    Section* FindSection(std::string_view name);

    std::string text_;  // the text as parsed
    std::vector<Section> sections_;
};

}  // namespace kelm
