// The configuration program's texts in the user's language.
//
// Each language has a help file, <program folder>help/<Language>_help.ini,
// whose section [Strings] maps a text number (TextIds.h) to its UTF-8
// text. In a value "\n" stands for a line break and "\\" for a backslash;
// texts are single lines in the file because the INI format has no other
// way to hold one. "%d" marks where WithNumber puts a number.
//
// A text the language's file does not give, or gives empty or as bytes that
// are not UTF-8 (a file saved in an old code page by hand), is taken from
// help/English_help.ini, and failing that from the copy of that file built
// into the program: a missing help folder or a truncated file leaves no
// label blank. The shipped English file is the one source of the English
// wording; the build embeds it rather than keeping a second table in code.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "setup/texts/TextIds.h"

namespace kelm {

// "Danish_help.ini" .. "Vietnamese_help.ini" for languageIndex 0..16;
// any other value gives "English_help.ini".
std::string_view HelpFileName(int languageIndex);

// programFolder + "help/" + HelpFileName(languageIndex); the folder may
// lack its trailing '/'.
std::string HelpFilePath(std::string_view programFolder, int languageIndex);

class LanguageTexts {
public:
    // The built-in English texts.
    LanguageTexts();
    // Reads the help file of languageIndex (and the English one for what it
    // lacks) below programFolder once; nothing is read again later.
    LanguageTexts(std::string_view programFolder, int languageIndex);

    // The text of id; "" only for a number that TextIds.h does not name.
    std::string_view Text(TextId id) const;
    // The index whose texts these are: out-of-range indexes become English.
    int LanguageIndex() const { return languageIndex_; }
    // False when the language's own file could not be read and every text
    // is English; the chooser stays usable either way.
    bool HasLanguageFile() const { return hasLanguageFile_; }

private:
    std::array<std::string, kAllTextIds.size()> texts_;
    int languageIndex_ = kEnglishLanguageIndex;
    bool hasLanguageFile_ = false;
};

// text with every "%d" replaced by number. Texts come from files a user may
// edit, so they are never handed to printf: a stray "%s" stays as it is.
std::string WithNumber(std::string_view text, int number);

}  // namespace kelm
