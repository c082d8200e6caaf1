#include "setup/texts/LanguageTexts.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>

#include "platform/FileIo.h"
#include "settings/IniDocument.h"
#include "settings/IniFile.h"
#include "settings/StoreLocation.h"
#include "setup/texts/BuiltInEnglish.h"

namespace kelm {

namespace {

// In language index order; the file names keep the help libraries' names.
constexpr std::array<std::string_view, kLanguageCount> kHelpFileNames = {
    "Danish_help.ini",       "English_help.ini",    "Finnish_help.ini", "French_help.ini", "German_help.ini",
    "Italian_help.ini",      "Japanese_help.ini",   "Korean_help.ini",  "Polish_help.ini", "Russian_help.ini",
    "SimplChinese_help.ini", "Spanish_help.ini",    "Swedish_help.ini", "Thai_help.ini",   "TradChinese_help.ini",
    "Turkish_help.ini",      "Vietnamese_help.ini",
};

constexpr std::string_view kSection = "Strings";

static_assert(std::ranges::is_sorted(kAllTextIds) && std::ranges::adjacent_find(kAllTextIds) == kAllTextIds.end(),
              "Text() finds ids by binary search");

int ClampedIndex(int languageIndex) {
    return languageIndex >= 0 && languageIndex < kLanguageCount ? languageIndex : kEnglishLanguageIndex;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
// Anything else is a file in another encoding, whose text would show as
// garbage, so it counts as missing.
bool IsUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        std::size_t length = 0;
        std::uint32_t min = 0;
        std::uint32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, min = 0x80, code = lead & 0x1Fu;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, min = 0x800, code = lead & 0x0Fu;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, min = 0x10000, code = lead & 0x07u;
        } else {
            return false;
        }
        if (text.size() - i < length) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3Fu);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

// "\n" is a line break and "\\" a backslash; any other backslash is kept,
// so a path typed into a text survives unless it happens to hold "\n".
std::string Unescaped(std::string_view value) {
    std::string text;
    text.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size() && (value[i + 1] == 'n' || value[i + 1] == '\\')) {
            text += value[++i] == 'n' ? '\n' : '\\';
        } else {
            text += value[i];
        }
    }
    return text;
}

std::optional<std::string> Usable(std::optional<std::string_view> value) {
    if (!value || value->empty() || !IsUtf8(*value)) return std::nullopt;
    return Unescaped(*value);
}

std::optional<std::string_view> BuiltInEnglish(std::string_view section, std::string_view key) {
    static const IniDocument document = IniDocument::Parse(BuiltInEnglishHelp());
    return document.Get(section, key);
}

// Fills the texts still empty from lookup(section, key); true when every
// text is then set.
template <typename Lookup>
bool FillMissing(std::array<std::string, kAllTextIds.size()>& texts, const Lookup& lookup) {
    bool complete = true;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (!texts[i].empty()) continue;
        if (auto text = Usable(lookup(kSection, std::to_string(static_cast<int>(kAllTextIds[i])))))
            texts[i] = std::move(*text);
        else
            complete = false;
    }
    return complete;
}

}  // namespace

std::string_view HelpFileName(int languageIndex) { return kHelpFileNames[ClampedIndex(languageIndex)]; }

std::string HelpFilePath(std::string_view programFolder, int languageIndex) {
    return WithTrailingSlash(std::string(programFolder)) + "help/" + std::string(HelpFileName(languageIndex));
}

LanguageTexts::LanguageTexts() { FillMissing(texts_, BuiltInEnglish); }

LanguageTexts::LanguageTexts(std::string_view programFolder, int languageIndex)
    : languageIndex_(ClampedIndex(languageIndex)) {
    const auto fill = [this](const std::string& path) {
        FileContents contents = ReadWholeFile(path);
        const bool read = contents.status == ReadStatus::Ok;
        const IniFile file(path, std::move(contents));
        const bool complete = FillMissing(
            texts_, [&file](std::string_view section, std::string_view key) { return file.Lookup(section, key); });
        return std::pair(read, complete);
    };
    auto [read, complete] = fill(HelpFilePath(programFolder, languageIndex_));
    hasLanguageFile_ = read;
    if (!complete && languageIndex_ != kEnglishLanguageIndex)
        complete = fill(HelpFilePath(programFolder, kEnglishLanguageIndex)).second;
    if (!complete) FillMissing(texts_, BuiltInEnglish);
}

std::string_view LanguageTexts::Text(TextId id) const {
    const auto found = std::ranges::lower_bound(kAllTextIds, id);
    if (found == kAllTextIds.end() || *found != id) return {};
    return texts_[static_cast<std::size_t>(found - kAllTextIds.begin())];
}

std::string WithNumber(std::string_view text, int number) {
    const std::string digits = std::to_string(number);
    std::string out;
    out.reserve(text.size() + digits.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 'd') {
            out += digits;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace kelm
