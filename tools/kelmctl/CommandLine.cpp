#include "tools/kelmctl/CommandLine.h"

#include <algorithm>
#include <ostream>
#include <sstream>

namespace kelm::ctl {

namespace {

bool IsHelp(std::string_view arg) { return arg == "--help" || arg == "-h"; }

std::vector<std::string_view> Words(std::string_view name) {
    std::vector<std::string_view> words;
    while (!name.empty()) {
        const std::size_t space = name.find(' ');
        words.push_back(name.substr(0, space));
        name = space == std::string_view::npos ? std::string_view{} : name.substr(space + 1);
    }
    return words;
}

// How many leading args spell the command's name, or 0 when they do not.
std::size_t MatchLength(const CommandSpec& command, std::span<const std::string> args) {
    const std::vector<std::string_view> words = Words(command.name);
    if (args.size() < words.size()) return 0;
    for (std::size_t i = 0; i < words.size(); ++i)
        if (args[i] != words[i]) return 0;
    return words.size();
}

std::string UsageLine(const CommandIo& io, const CommandSpec& command) {
    std::string line = std::string(io.program) + ' ' + command.name;
    if (!command.arguments.empty()) line += ' ' + command.arguments;
    return line;
}

void PrintCommandList(std::ostream& out, const std::vector<const CommandSpec*>& commands) {
    std::size_t width = 0;
    for (const CommandSpec* c : commands)
        width = std::max(width, c->name.size() + (c->arguments.empty() ? 0 : c->arguments.size() + 1));
    out << "Commands:\n";
    for (const CommandSpec* c : commands) {
        std::string left = c->name;
        if (!c->arguments.empty()) left += ' ' + c->arguments;
        left.resize(width, ' ');
        out << "  " << left << "  " << c->summary << '\n';
    }
}

std::vector<const CommandSpec*> AllCommands(const CommandSet& set) {
    std::vector<const CommandSpec*> all;
    for (const CommandSpec& c : set.commands)
        if (!c.hidden) all.push_back(&c);
    return all;
}

std::vector<const CommandSpec*> Group(const CommandSet& set, std::string_view firstWord) {
    std::vector<const CommandSpec*> group;
    for (const CommandSpec& c : set.commands)
        if (Words(c.name).front() == firstWord) group.push_back(&c);
    return group;
}

int UsageError(CommandIo& io, std::string_view message, std::string_view hint) {
    io.err << io.program << ": " << message << '\n' << hint;
    return kExitUsage;
}

int RunGroup(const CommandSet& set, std::span<const std::string> args, CommandIo& io) {
    const std::vector<const CommandSpec*> group = Group(set, args[0]);
    if (group.empty())
        return UsageError(io, "unknown command '" + args[0] + "'",
                          "Run '" + std::string(io.program) + " --help' for the list of commands.\n");
    const std::string prefix = std::string(io.program) + ' ' + args[0];
    if (args.size() > 1 && IsHelp(args[1])) {
        io.out << "Usage: " << prefix << " COMMAND [ARGUMENTS]\n\n";
        PrintCommandList(io.out, group);
        io.out << "\nRun '" << prefix << " COMMAND --help' for details of one command.\n";
        return kExitOk;
    }
    std::string names;
    for (const CommandSpec* c : group) names += (names.empty() ? "" : ", ") + c->name;
    const std::string hint = "Commands: " + names + ".\nRun '" + prefix + " --help' for details.\n";
    if (args.size() == 1) return UsageError(io, args[0] + ": a command is missing", hint);
    return UsageError(io, args[0] + ": unknown command '" + args[1] + "'", hint);
}

int RunCommand(const CommandSpec& command, std::span<const std::string> rest, CommandIo& io) {
    const std::string hint = "Usage: " + UsageLine(io, command) + "\nRun '" + std::string(io.program) + ' ' +
                             command.name + " --help' for details.\n";
    const auto optionsEnd = std::find(rest.begin(), rest.end(), "--");
    if (std::any_of(rest.begin(), optionsEnd, [](const std::string& a) { return IsHelp(a); })) {
        io.out << "Usage: " << UsageLine(io, command) << "\n\n" << command.details;
        return kExitOk;
    }
    CommandArgs args;
    bool options = true;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const std::string& arg = rest[i];
        if (options && arg == "--") {
            options = false;
            continue;
        }
        // A lone "-" names standard input.
        if (!options || arg.size() < 2 || arg[0] != '-') {
            args.positional.push_back(arg);
            continue;
        }
        if (std::find(command.flagOptions.begin(), command.flagOptions.end(), arg) != command.flagOptions.end()) {
            if (args.Flag(arg)) return UsageError(io, command.name + ": option " + arg + " given twice", hint);
            args.flags.push_back(arg);
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (std::find(command.flagOptions.begin(), command.flagOptions.end(), name) != command.flagOptions.end())
            return UsageError(io, command.name + ": option " + name + " takes no value", hint);
        if (std::find(command.valueOptions.begin(), command.valueOptions.end(), name) == command.valueOptions.end())
            return UsageError(io, command.name + ": unknown option '" + name + "'", hint);
        if (args.Option(name) != nullptr)
            return UsageError(io, command.name + ": option " + name + " given twice", hint);
        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < rest.size()) {
            value = rest[++i];
        } else {
            return UsageError(io, command.name + ": option " + name + " needs a value", hint);
        }
        args.options.emplace_back(name, std::move(value));
    }
    if (args.positional.size() != command.positionalCount)
        return UsageError(io,
                          command.name + ": expected " + std::to_string(command.positionalCount) +
                              " argument(s), got " + std::to_string(args.positional.size()),
                          hint);
    return command.run(args, io);
}

}  // namespace

const std::string* CommandArgs::Option(std::string_view name) const {
    for (const auto& [key, value] : options)
        if (key == name) return &value;
    return nullptr;
}

bool CommandArgs::Flag(std::string_view name) const {
    return std::find(flags.begin(), flags.end(), name) != flags.end();
}

int ReportError(CommandIo& io, int status, std::string_view message) {
    io.err << io.program << ": " << message << '\n';
    return status;
}

std::string HelpText(const CommandSet& set) {
    std::ostringstream text;
    text << set.intro << '\n';
    PrintCommandList(text, AllCommands(set));
    text << '\n' << set.footer;
    return text.str();
}

int RunCommandLine(const CommandSet& set, std::span<const std::string> args, CommandIo& io) {
    if (args.empty() || IsHelp(args[0])) {
        (args.empty() ? io.err : io.out) << HelpText(set);
        return args.empty() ? kExitUsage : kExitOk;
    }
    const CommandSpec* best = nullptr;
    std::size_t used = 0;
    for (const CommandSpec& command : set.commands) {
        const std::size_t length = MatchLength(command, args);
        if (length > used) {
            best = &command;
            used = length;
        }
    }
    if (best == nullptr) return RunGroup(set, args, io);
    return RunCommand(*best, args.subspan(used), io);
}

}  // namespace kelm::ctl
