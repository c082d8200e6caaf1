// The udev rule files of data/udev/ read as udev reads them, and what a
// rule that hands a device to the person at the seat must not do.
#pragma once

#include <string>
#include <vector>

namespace kelm::test {

struct UdevKey {
    std::string name;  // "ATTRS{idVendor}", "TAG"
    std::string op;    // "==", "!=", "=", "+=", "-=", ":="
    std::string value;
};

using UdevRule = std::vector<UdevKey>;

// One rule per line (a trailing backslash joins lines); comments and blank
// lines skipped. A line that is not a list of KEY OP "VALUE" is put in
// *errors, as udev would refuse it.
std::vector<UdevRule> ParseUdevRules(const std::string& text, std::vector<std::string>* errors);

// The value of the first key of that name and operator, or nullptr.
const std::string* FindKey(const UdevRule& rule, const std::string& name, const std::string& op);

// What a rule grants beyond the uaccess tag: programs run (RUN, PROGRAM,
// IMPORT{program}), an owner or group, a mode that lets others read or write.
std::vector<std::string> GrantProblems(const UdevRule& rule);

}  // namespace kelm::test
