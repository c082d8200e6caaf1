// The help files as shipped: each one must load, hold only texts the program
// knows, keep the "%d" of the English text, and the English one must hold
// every text, or a label would be left to no language at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "setup/texts/LanguageTexts.h"
#include "tests/support/TempFolder.h"

namespace kelm {
namespace {

const std::string kHelpSource = KELM_HELP_SOURCE;

bool IsLanguageName(int id) {
    return id >= static_cast<int>(TextId::kLanguageDanish) && id <= static_cast<int>(TextId::kLanguageVietnamese);
}

std::size_t Count(std::string_view text, std::string_view part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// The entries of a help file by number, each line checked as it is read: a
// comment, a blank line, the one [Strings] header at the top, or a known
// number with a text; nothing twice.
std::map<int, std::string> ReadEntries(const std::string& name) {
    const std::string bytes = test::ReadFile(kHelpSource + name);
    EXPECT_FALSE(bytes.empty());
    std::set<int> known;
    for (const TextId id : kAllTextIds) known.insert(static_cast<int>(id));
    std::map<int, std::string> entries;
    bool inSection = false;
    std::size_t lineNumber = 0;
    for (std::size_t begin = 0; begin < bytes.size();) {
        const std::size_t end = std::min(bytes.find('\n', begin), bytes.size());
        std::string line = bytes.substr(begin, end - begin);
        begin = end + 1;
        ++lineNumber;
        SCOPED_TRACE(name + ":" + std::to_string(lineNumber) + ": " + line);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.front() == ';') continue;
        if (line == "[Strings]" && !inSection) {
            inSection = true;
            continue;
        }
        const std::size_t equals = line.find('=');
        const std::string key = line.substr(0, std::min(equals, line.size()));
        if (!inSection || equals == std::string::npos || key.empty() || key.size() > 6 ||
            !std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            ADD_FAILURE() << "not a numbered entry of [Strings]";
            continue;
        }
        const int id = std::stoi(key);
        EXPECT_TRUE(known.contains(id)) << "unknown text number";
        const std::string value = line.substr(equals + 1);
        EXPECT_FALSE(value.empty() || value.front() == ' ' || value.back() == ' ');
        EXPECT_TRUE(entries.emplace(id, value).second) << "given twice";
    }
    return entries;
}

TEST(HelpFiles, EveryLanguageIsShippedWellFormedAndEnglishIsComplete) {
    std::set<std::string> shipped;
    for (const auto& entry : std::filesystem::directory_iterator(kHelpSource))
        shipped.insert(entry.path().filename().string());
    std::set<std::string> expected;
    for (int index = 0; index < kLanguageCount; ++index) expected.emplace(HelpFileName(index));
    EXPECT_EQ(shipped, expected);

    const std::map<int, std::string> english = ReadEntries("English_help.ini");
    for (const TextId id : kAllTextIds)
        EXPECT_TRUE(english.contains(static_cast<int>(id))) << static_cast<int>(id) << " has no English text";

    for (int index = 0; index < kLanguageCount; ++index) {
        const std::string name(HelpFileName(index));
        const std::map<int, std::string> entries = ReadEntries(name);
        // Alone in a help folder, so that a value the reader refuses (not
        // UTF-8, say) shows as the built-in English instead of as itself.
        const test::TempFolder alone;
        test::WriteFile(alone / ("help/" + name), test::ReadFile(kHelpSource + name));
        const LanguageTexts texts(alone.Path(), index);
        for (const auto& [id, value] : entries) {
            SCOPED_TRACE(name + " " + std::to_string(id));
            EXPECT_TRUE(index == kEnglishLanguageIndex || !IsLanguageName(id)) << "language names are English's";
            const auto source = english.find(id);
            if (source != english.end()) {
                EXPECT_EQ(Count(value, "%d"), Count(source->second, "%d"));
            }
            const std::string_view text = texts.Text(static_cast<TextId>(id));
            if (value.find('\\') == std::string::npos) {
                EXPECT_EQ(text, value);
            }
            EXPECT_EQ(Count(value, "\\n"), Count(text, "\n"));
        }
    }
}

// The build copies the files into the program folder and builds the English
// one in: all three must give the same English, and German must be German.
TEST(HelpFiles, ProgramFolderAndBuiltInEnglishMatchTheShippedFiles) {
    const test::TempFolder sourceOnly;
    test::WriteFile(sourceOnly / "help/English_help.ini", test::ReadFile(kHelpSource + "English_help.ini"));
    const LanguageTexts shipped(sourceOnly.Path(), kEnglishLanguageIndex);
    const LanguageTexts builtIn;
    const LanguageTexts installed(KELM_PROGRAM_FOLDER_BUILT, kEnglishLanguageIndex);
    EXPECT_TRUE(installed.HasLanguageFile());
    for (const TextId id : kAllTextIds) {
        EXPECT_EQ(builtIn.Text(id), shipped.Text(id)) << static_cast<int>(id);
        EXPECT_EQ(installed.Text(id), shipped.Text(id)) << static_cast<int>(id);
    }
    EXPECT_EQ(LanguageTexts(KELM_PROGRAM_FOLDER_BUILT, 4).Text(TextId::kApplyButton), std::string_view("Übernehmen"));
}

}  // namespace
}  // namespace kelm
