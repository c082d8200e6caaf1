// A small command-line dispatcher: commands of one or more words
// ("profile write", later "status"), each with its positional arguments,
// options that take a value, flags, and --help at every level. Adding a command
// is adding a row to the caller's table.
#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelm::ctl {

enum ExitStatus : int {
    kExitOk = 0,
    kExitFailure = 1,  // a file could not be read or written
    kExitUsage = 2,    // bad command line or invalid input
};

struct CommandIo {
    std::string_view program;
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

struct CommandArgs {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;
    std::vector<std::string> flags;

    // The value of option name ("--home"), or nullptr when not given.
    const std::string* Option(std::string_view name) const;
    // True when flag name ("--verbose") was given.
    bool Flag(std::string_view name) const;
};

struct CommandSpec {
    std::string name;       // the command's words, "profile write"
    std::string arguments;  // as the usage line shows them, "IN.json OUT.vkp"
    std::string summary;    // one line for the command lists
    std::string details;    // the body of its --help
    std::size_t positionalCount = 0;
    std::vector<std::string> valueOptions;  // "--home": takes "--home DIR" and "--home=DIR"
    int (*run)(const CommandArgs&, CommandIo&) = nullptr;
    std::vector<std::string> flagOptions = {};  // "--verbose": takes no value
    // What completion offers for the positional arguments: these words, or
    // file names when there are none.
    std::vector<std::string> argumentWords = {};
    // Left out of the command lists and of completion.
    bool hidden = false;
};

struct CommandSet {
    std::string intro;   // heads the program's --help
    std::string footer;  // ends it
    std::vector<CommandSpec> commands;
};

// The program's --help: intro, every command with its summary, footer.
std::string HelpText(const CommandSet& set);

// Finds the command named by the leading words of args, parses the rest
// and runs it. --help or -h prints help to io.out and returns 0; usage
// errors go to io.err and return kExitUsage.
int RunCommandLine(const CommandSet& set, std::span<const std::string> args, CommandIo& io);

// "program: message" on io.err; returns status.
int ReportError(CommandIo& io, int status, std::string_view message);

}  // namespace kelm::ctl
