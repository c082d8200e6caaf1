#include "settings/IniDocument.h"

#include "settings/Text.h"

#include <utility>

namespace kelm {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string Clean(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

}  // namespace

IniDocument::Line IniDocument::ParseLine(std::string raw) {
    Line line;
    line.raw = std::move(raw);
    const std::string_view text = line.raw;
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) return line;
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
    return line;
}

IniDocument IniDocument::Parse(std::string_view text) {
    IniDocument doc;
    Section* current = nullptr;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        std::string_view trimmed = line;
        while (!trimmed.empty() && IsSpace(trimmed.front())) trimmed.remove_prefix(1);
        if (!trimmed.empty() && trimmed.front() == '[') {
            const std::size_t close = trimmed.find(']');
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
        current->lines.push_back(ParseLine(std::string(line)));
    }
    return doc;
}

std::string IniDocument::Serialize() const {
    std::size_t total = 0;
    for (const Section& s : sections_) {
        total += s.header.size() + 2;
        for (const Line& l : s.lines) total += l.raw.size() + 2;
    }
    std::string out;
    out.reserve(total);
    for (const Section& s : sections_) {
        if (s.hasHeader) {
            out += s.header;
            out += "\r\n";
        }
        for (const Line& l : s.lines) {
            out += l.raw;
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
    const Section* s = FindSection(Trim(section));
    if (s == nullptr) return std::nullopt;
    key = Trim(key);
    for (const Line& l : s->lines)
        if (l.isEntry && EqualsNoCase(l.Key(), key)) return l.Value();
    return std::nullopt;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    Section* s = FindSection(section);
    if (s == nullptr) {
        // Sections we add are set apart by a blank line, as Windows writes them.
        if (!sections_.empty()) {
            Section& last = sections_.back();
            if (last.lines.empty() || !Trim(last.lines.back().raw).empty()) last.lines.push_back(ParseLine(""));
        }
        Section fresh;
        fresh.name = Clean(section);
        fresh.header = "[" + fresh.name + "]";
        fresh.hasHeader = true;
        sections_.push_back(std::move(fresh));
        s = &sections_.back();
    }
    Line replacement = ParseLine(Clean(key) + "=" + Clean(value));
    std::size_t insertAt = 0;
    for (std::size_t i = 0; i < s->lines.size(); ++i) {
        Line& l = s->lines[i];
        if (!l.isEntry) continue;
        if (EqualsNoCase(l.Key(), key)) {
            l = std::move(replacement);
            return;
        }
        insertAt = i + 1;
    }
    s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(replacement));
}

std::vector<std::string> IniDocument::SectionNames() const {
    std::vector<std::string> names;
    for (const Section& s : sections_)
        if (s.hasHeader) names.push_back(s.name);
    return names;
}

}  // namespace kelm
