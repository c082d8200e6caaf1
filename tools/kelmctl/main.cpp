// kelmctl: the settings files of the Kelm keyboard suite as JSON.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "platform/StandardOptions.h"
#include "tools/kelmctl/Commands.h"

int main(int argc, char** argv) {
    // Options before the command are the program's own; those after it are
    // the command's ("firmware make-image FILE --version V").
    const kelm::ProgramHelp help{
        .program = "kelmctl", .text = kelm::ctl::HelpText(kelm::ctl::KelmctlCommands()), .optionsBeforeCommand = true};
    if (const auto status = kelm::AnswerStandardOptions(help, argc, argv)) return *status;
    const std::vector<std::string> args(argv + 1, argv + argc);
    kelm::ctl::CommandIo io{"kelmctl", std::cin, std::cout, std::cerr};
    int status = kelm::ctl::kExitFailure;
    try {
        status = kelm::ctl::RunKelmctl(args, io);
    } catch (const std::exception& error) {
        return kelm::ctl::ReportError(io, kelm::ctl::kExitFailure, error.what());
    }
    // A full disk or a closed pipe must not pass for success.
    if (!std::cout.flush()) return kelm::ctl::ReportError(io, kelm::ctl::kExitFailure, "cannot write the output");
    return status;
}
