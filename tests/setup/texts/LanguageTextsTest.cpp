#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "setup/texts/LanguageTexts.h"
#include "tests/support/TempFolder.h"

namespace kelm {
namespace {

constexpr int kGerman = 4;

std::string Key(TextId id) { return std::to_string(static_cast<int>(id)); }

// A help file whose text of every id is prefix + " " + number, except where
// changed: a changed id gets the given raw value, or no line at all.
std::string HelpFile(const std::string& prefix, const std::map<TextId, std::optional<std::string>>& changed = {}) {
    std::string file = "[Strings]\r\n";
    for (const TextId id : kAllTextIds) {
        const auto change = changed.find(id);
        if (change == changed.end())
            file += Key(id) + "=" + prefix + " " + Key(id) + "\r\n";
        else if (change->second)
            file += Key(id) + "=" + *change->second + "\r\n";
    }
    return file;
}

enum class From { German, EnglishFile, BuiltIn };

struct FallbackCase {
    const char* what;
    std::optional<std::string> german, english;  // nothing: no such file
    From usually;
    std::map<TextId, From> except;
    bool unreadable = false;  // the language file is a folder
};

TEST(HelpFileName, NamesEachLanguageIndexAndEnglishForAnyOther) {
    const std::pair<int, std::string_view> cases[] = {
        {0, "Danish_help.ini"},   {1, "English_help.ini"},       {2, "Finnish_help.ini"},
        {3, "French_help.ini"},   {4, "German_help.ini"},        {5, "Italian_help.ini"},
        {6, "Japanese_help.ini"}, {7, "Korean_help.ini"},        {8, "Polish_help.ini"},
        {9, "Russian_help.ini"},  {10, "SimplChinese_help.ini"}, {11, "Spanish_help.ini"},
        {12, "Swedish_help.ini"}, {13, "Thai_help.ini"},         {14, "TradChinese_help.ini"},
        {15, "Turkish_help.ini"}, {16, "Vietnamese_help.ini"},   {-1, "English_help.ini"},
        {17, "English_help.ini"}, {INT_MIN, "English_help.ini"}, {INT_MAX, "English_help.ini"},
    };
    for (const auto& [index, name] : cases) EXPECT_EQ(HelpFileName(index), name) << index;
    EXPECT_EQ(HelpFilePath("/opt/kelm", 12), "/opt/kelm/help/Swedish_help.ini");
}

TEST(LanguageTexts, TakesEachMissingOrUnusableTextFromEnglish) {
    const std::string full = HelpFile("de");
    const FallbackCase cases[] = {
        {"complete translation", full, HelpFile("en"), From::German, {}},
        {"no language file", std::nullopt, HelpFile("en"), From::EnglishFile, {}},
        {"no help folder at all", std::nullopt, std::nullopt, From::BuiltIn, {}},
        {"one key left out",
         HelpFile("de", {{TextId::kCapsLockSlotTip, std::nullopt}}),
         HelpFile("en"),
         From::German,
         {{TextId::kCapsLockSlotTip, From::EnglishFile}}},
        {"empty and code-page values",
         HelpFile("de", {{TextId::kResetCaption, ""}, {TextId::kTabMain, "Men\xFC"}, {TextId::kDimmerOff, "\xC3"}}),
         HelpFile("en"),
         From::German,
         {{TextId::kResetCaption, From::EnglishFile},
          {TextId::kTabMain, From::EnglishFile},
          {TextId::kDimmerOff, From::EnglishFile}}},
        {"English file lacks a key too",
         std::nullopt,
         HelpFile("en", {{TextId::kOkTip, std::nullopt}}),
         From::EnglishFile,
         {{TextId::kOkTip, From::BuiltIn}}},
        {"truncated inside a character",
         full.substr(0, full.find("de 1008") + 1) + "\xE2\x82",
         HelpFile("en"),
         From::EnglishFile,
         {{TextId::kMacroKeySlotTip, From::German}, {TextId::kThumbKeySlotTip, From::German}}},
        {"no section header", full.substr(full.find('\n') + 1), HelpFile("en"), From::EnglishFile, {}},
        {"binary garbage", std::string("\0\xFF\xFE[\n=\r\r\n]]=\x80", 13), HelpFile("en"), From::EnglishFile, {}},
        {"an endless comment line",
         "[Strings]\n;" + std::string(1 << 20, 'x') + "\n1006=de 1006",
         HelpFile("en"),
         From::EnglishFile,
         {{TextId::kMacroKeySlotTip, From::German}}},
        {"unreadable language file", "", HelpFile("en"), From::EnglishFile, {}, true},
    };
    const LanguageTexts builtIn;
    for (const FallbackCase& c : cases) {
        SCOPED_TRACE(c.what);
        const test::TempFolder folder;
        if (c.unreadable)
            std::filesystem::create_directories(folder / "help/German_help.ini");
        else if (c.german)
            test::WriteFile(folder / "help/German_help.ini", *c.german);
        if (c.english) test::WriteFile(folder / "help/English_help.ini", *c.english);
        const LanguageTexts texts(folder.Path(), kGerman);
        EXPECT_EQ(texts.HasLanguageFile(), c.german && !c.unreadable);
        for (const TextId id : kAllTextIds) {
            const auto except = c.except.find(id);
            const From from = except == c.except.end() ? c.usually : except->second;
            const std::string_view text = texts.Text(id);
            switch (from) {
                case From::German:
                    EXPECT_EQ(text, "de " + Key(id)) << Key(id);
                    break;
                case From::EnglishFile:
                    EXPECT_EQ(text, "en " + Key(id)) << Key(id);
                    break;
                case From::BuiltIn:
                    EXPECT_EQ(text, builtIn.Text(id)) << Key(id);
                    break;
            }
        }
    }
}

TEST(LanguageTexts, ResolvesLineBreaksAndNumbersWithoutFormatStrings) {
    const test::TempFolder folder;
    test::WriteFile(folder / "help/German_help.ini",
                    HelpFile("de", {{TextId::kWindowsProfileQuestion, R"(Profil %d?\nJa \\n, C:\Spiele\)"}}));
    const LanguageTexts texts(folder.Path(), kGerman);
    EXPECT_EQ(texts.Text(TextId::kWindowsProfileQuestion), "Profil %d?\nJa \\n, C:\\Spiele\\");
    const std::pair<std::string_view, std::string_view> numbered[] = {
        {"Profil %d?\nJa", "Profil 3?\nJa"}, {"%d/%d", "3/3"}, {"100% %s %n %", "100% %s %n %"}, {"", ""}};
    for (const auto& [text, expected] : numbered) EXPECT_EQ(WithNumber(text, 3), expected) << text;
    EXPECT_EQ(texts.Text(static_cast<TextId>(999)), "");
}

}  // namespace
}  // namespace kelm
