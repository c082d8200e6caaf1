// A keyboard sequence driven straight through the real libdevbridge.so
// against a KelmEmu of the benchmark's own that answers at once, each round
// timed on the real clock against the waits the sequence asks its clock
// for: the pauses and polls its protocol prescribes, summed in the same
// run. What a round costs beyond them is the transfers themselves.
#pragma once

#include <functional>
#include <string>

#include "keyboard/Clock.h"
#include "keyboard/FeatureDevice.h"
#include "platform/DeviceLibrary.h"

namespace kelm::bench {

struct EmuBench {
    const char* name;   // the program's name, for its messages
    const char* title;  // the heading of the printed table
    int rounds;
    // Once, after KelmEmu has been opened (none: nothing to prepare).
    std::function<bool(const DeviceLibrary&)> prepare;
    // One round on device and clock; root is the temporary folder, with an
    // empty program folder "program/config" below it. False when it failed.
    std::function<bool(IFeatureDevice& device, IClock& clock, const std::string& root)> round;
};

// Prints the table with the median ratio (goal: under 1.05); the exit status.
int RunEmuBench(const std::string& programFolder, const EmuBench& bench);

}  // namespace kelm::bench
