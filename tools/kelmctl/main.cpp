// kelmctl: the settings files of the Kelm keyboard suite as JSON.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "tools/kelmctl/Commands.h"

int main(int argc, char** argv) {
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
