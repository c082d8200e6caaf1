#include "settings/IniDocument.h"

#include <algorithm>
#include <utility>

#include "settings/Text.h"

namespace kelm {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string Clean(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

// Names are looked up as they are written: line breaks inside them become
// blanks, so a name that holds one still finds what was stored under it.
std::string_view WrittenName(std::string_view name, std::string& storage) {
    name = Trim(name);
    // A plain loop: find_first_of searches its set once per character,
    // which showed in every lookup.
    if (std::none_of(name.begin(), name.end(), [](char c) { return c == '\r' || c == '\n'; })) return name;
    storage = Clean(name);
    return storage;
}

// Values are read the way the Windows profile functions read them: blanks
// around the value are dropped, then one pair of enclosing quotes.
std::string_view Unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The text to store so that reading gives text back: a value with blanks at
// an end, or one that is itself enclosed in quotes, goes inside quotes.
std::string StoredValue(const std::string& text) {
    const bool quote =
        !text.empty() && (IsSpace(text.front()) || IsSpace(text.back()) || Unquoted(text).size() != text.size());
    return quote ? '"' + text + '"' : text;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

void IniDocument::ParseLine(Line& line, std::string_view text) {
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) return;
    std::size_t kb = 0, ke = eq;
    while (kb < ke && IsSpace(text[kb])) ++kb;
    while (ke > kb && IsSpace(text[ke - 1])) --ke;
    std::size_t vb = eq + 1, ve = text.size();
    while (vb < ve && IsSpace(text[vb])) ++vb;
    while (ve > vb && IsSpace(text[ve - 1])) --ve;
    line.isEntry = true;
    line.keyBegin = kb;
    line.keyLength = ke - kb;
    line.valueBegin = vb;
    line.valueLength = ve - vb;
    line.keyHash = NoCaseHash(text.substr(kb, ke - kb));
}

IniDocument::Line IniDocument::OwnLine(std::string raw) {
    Line line;
    line.own = std::move(raw);
    ParseLine(line, *line.own);
    return line;
}

IniDocument IniDocument::Parse(std::string_view text) { return ParseOwned(std::string(text)); }

IniDocument IniDocument::ParseOwned(std::string input) {
    IniDocument doc;
    doc.text_ = std::move(input);
    const std::string_view all = doc.text_;
    std::string_view text = all;
    Section* current = nullptr;
    // An editor's byte-order mark must not hide the first section; the
    // line itself keeps it.
    bool firstLine = true;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        std::string_view trimmed = line;
        if (std::exchange(firstLine, false) && trimmed.starts_with(kUtf8Bom)) trimmed.remove_prefix(kUtf8Bom.size());
        while (!trimmed.empty() && IsSpace(trimmed.front())) trimmed.remove_prefix(1);
        if (!trimmed.empty() && trimmed.front() == '[') {
            // The last bracket closes the name, so names holding ']' read back.
            const std::size_t close = trimmed.rfind(']');
            Section section;
            section.header = std::string(line);
            section.name = std::string(Trim(trimmed.substr(1, close == std::string_view::npos ? close : close - 1)));
            section.hasHeader = true;
            doc.sections_.push_back(std::move(section));
            current = &doc.sections_.back();
            continue;
        }
        if (current == nullptr) {
            doc.sections_.emplace_back();
            current = &doc.sections_.back();
        }
        Line parsed;
        parsed.begin = static_cast<std::size_t>(line.data() - all.data());
        parsed.length = line.size();
        ParseLine(parsed, line);
        current->lines.push_back(std::move(parsed));
    }
    return doc;
}

std::string IniDocument::Serialize() const {
    std::size_t total = 0;
    for (const Section& s : sections_) {
        total += s.header.size() + 2;
        for (const Line& l : s.lines) total += Raw(l).size() + 2;
    }
    std::string out;
    out.reserve(total);
    for (const Section& s : sections_) {
        if (s.hasHeader) {
            out += s.header;
            out += "\r\n";
        }
        for (const Line& l : s.lines) {
            out += Raw(l);
            out += "\r\n";
        }
    }
    return out;
}

const IniDocument::Section* IniDocument::FindSection(std::string_view name) const {
    for (const Section& s : sections_)
        if (s.hasHeader && EqualsNoCase(s.name, name)) return &s;
    return nullptr;
}

IniDocument::Section* IniDocument::FindSection(std::string_view name) {
    return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

std::optional<std::string_view> IniDocument::Get(std::string_view section, std::string_view key) const {
    std::string sectionStorage, keyStorage;
    const Section* s = FindSection(WrittenName(section, sectionStorage));
    if (s == nullptr) return std::nullopt;
    key = WrittenName(key, keyStorage);
    const std::uint32_t hash = NoCaseHash(key);
    for (const Line& l : s->lines)
        if (l.isEntry && l.keyHash == hash && EqualsNoCase(Key(l), key)) return Unquoted(Value(l));
    return std::nullopt;
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string sectionStorage, keyStorage;
    section = WrittenName(section, sectionStorage);
    key = WrittenName(key, keyStorage);
    Section* s = FindSection(section);
    if (s == nullptr) {
        // Sections we add are set apart by a blank line, as Windows writes them.
        if (!sections_.empty()) {
            Section& last = sections_.back();
            if (last.lines.empty() || !Trim(Raw(last.lines.back())).empty()) last.lines.push_back(OwnLine(""));
        }
        Section fresh;
        fresh.name = std::string(section);
        fresh.header = "[" + fresh.name + "]";
        fresh.hasHeader = true;
        sections_.push_back(std::move(fresh));
        s = &sections_.back();
    }
    const std::string text = Clean(value);
    const std::uint32_t hash = NoCaseHash(key);
    std::size_t insertAt = 0;
    for (std::size_t i = 0; i < s->lines.size(); ++i) {
        Line& l = s->lines[i];
        if (!l.isEntry) continue;
        if (l.keyHash == hash && EqualsNoCase(Key(l), key)) {
            if (Unquoted(Value(l)) == text) return false;
            l = OwnLine(std::string(key) + "=" + StoredValue(text));
            return true;
        }
        insertAt = i + 1;
    }
    s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                    OwnLine(std::string(key) + "=" + StoredValue(text)));
    return true;
}

std::vector<std::string> IniDocument::SectionNames() const {
    std::vector<std::string> names;
    for (const Section& s : sections_)
        if (s.hasHeader) names.push_back(s.name);
    return names;
}

}  // namespace kelm
