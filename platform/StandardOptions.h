// The options every program of the suite answers alike: --help and
// --version print to standard output and end the program before it opens a
// display, a mutex or the keyboard; an unknown option is refused in one line
// that points at --help.
#pragma once

#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelm {

inline constexpr int kUsageExitStatus = 2;

// The lines of --help and --version under a help's "Options:", their texts
// starting at column, as the program's other options do.
std::string StandardOptionsHelp(std::size_t column);

struct ProgramHelp {
    std::string program = {};  // as --version names it: "KelmWatch"
    std::string text = {};     // the whole --help text
    // The program's own "--" options, so that an option's value is never
    // taken for an option and only the others count as unknown.
    std::vector<std::string> flags = {};
    std::vector<std::string> valueOptions = {};
    // False where the arguments also reach Qt, which takes its own options
    // (--platform, --style, ...): those programs must keep starting with them.
    bool refuseUnknown = true;
    // True where the first plain argument is a command whose own options
    // follow it (kelmctl's "firmware make-image FILE --version V").
    bool optionsBeforeCommand = false;
};

enum class StandardOption { None, Help, Version, Refused };

struct OptionScan {
    StandardOption found = StandardOption::None;
    std::string refusal;  // why an option is refused: "unknown option --bogus"
};

// The first of --help, --version or a refused option among args (without
// the program's name); "--" ends the options.
OptionScan ScanStandardOptions(const ProgramHelp& help, std::span<const std::string> args);

// Answers what ScanStandardOptions finds: the help or the version on out
// (exit status 0), a refused option on err (kUsageExitStatus). Nothing when
// the program is to run.
std::optional<int> AnswerStandardOptions(const ProgramHelp& help, int argc, const char* const* argv,
                                         std::FILE* out = stdout, std::FILE* err = stderr);

// "program: message (see 'program --help')" on err; returns kUsageExitStatus.
int RefuseUsage(std::string_view program, std::string_view message, std::FILE* err = stderr);

}  // namespace kelm
