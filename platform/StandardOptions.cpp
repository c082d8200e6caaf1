#include "platform/StandardOptions.h"

#include <algorithm>
#include <utility>

#include "platform/Version.h"

namespace kelm {

namespace {

bool Contains(const std::vector<std::string>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

OptionScan ScanStandardOptions(const ProgramHelp& help, std::span<const std::string> args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") break;
        if (arg == "--help") return {StandardOption::Help, {}};
        if (arg == "--version") return {StandardOption::Version, {}};
        if (!arg.starts_with("--")) {
            if (help.optionsBeforeCommand) break;
            continue;
        }
        const std::string name = arg.substr(0, arg.find('='));
        if (Contains(help.valueOptions, name)) {
            if (name.size() == arg.size()) ++i;  // "--state FILE": FILE is no option
        } else if (Contains(help.flags, name)) {
            if (name.size() != arg.size()) return {StandardOption::Refused, "option " + name + " takes no value"};
        } else if (help.refuseUnknown) {
            return {StandardOption::Refused, "unknown option " + name};
        }
    }
    return {};
}

std::optional<int> AnswerStandardOptions(const ProgramHelp& help, int argc, const char* const* argv, std::FILE* out,
                                         std::FILE* err) {
    const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    const OptionScan scan = ScanStandardOptions(help, args);
    switch (scan.found) {
        case StandardOption::None:
            return std::nullopt;
        case StandardOption::Help:
            std::fputs(help.text.c_str(), out);
            break;
        case StandardOption::Version:
            std::fprintf(out, "%s %s\n", help.program.c_str(), kSuiteVersion);
            break;
        case StandardOption::Refused:
            return RefuseUsage(help.program, scan.refusal, err);
    }
    // A closed or full standard output must not pass for success.
    return std::fflush(out) == 0 && std::ferror(out) == 0 ? 0 : 1;
}

std::string StandardOptionsHelp(std::size_t column) {
    std::string lines;
    for (const auto& [option, text] : {std::pair<std::string, const char*>{"  --help", "print this help and exit"},
                                       {"  --version", "print the program's name and version and exit"}}) {
        lines += option + std::string(column > option.size() + 1 ? column - option.size() : 2, ' ') + text + '\n';
    }
    return lines;
}

int RefuseUsage(std::string_view program, std::string_view message, std::FILE* err) {
    std::fprintf(err, "%.*s: %.*s (see '%.*s --help')\n", static_cast<int>(program.size()), program.data(),
                 static_cast<int>(message.size()), message.data(), static_cast<int>(program.size()), program.data());
    return kUsageExitStatus;
}

}  // namespace kelm
