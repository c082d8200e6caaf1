#include "tests/install/UdevRules.h"

#include <cstdlib>
#include <regex>

namespace kelm::test {

std::vector<UdevRule> ParseUdevRules(const std::string& text, std::vector<std::string>* errors) {
    static const std::regex kKey(
        R"re(^[\s,]*([A-Za-z_]+(?:\{[^}]*\})?)\s*(==|!=|\+=|-=|:=|=)\s*"((?:[^"\\]|\\.)*)")re");
    std::vector<UdevRule> rules;
    std::string line;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        line += text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\\') {
            line.pop_back();
            continue;
        }
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first != std::string::npos && line[first] != '#') {
            UdevRule rule;
            std::string rest = line.substr(first);
            std::smatch match;
            while (std::regex_search(rest, match, kKey)) {
                rule.push_back({match[1], match[2], match[3]});
                rest = match.suffix();
            }
            if (rest.find_first_not_of(" \t\r,") != std::string::npos || rule.empty()) {
                if (errors != nullptr) errors->push_back("cannot read: " + line);
            } else {
                rules.push_back(std::move(rule));
            }
        }
        line.clear();
    }
    return rules;
}

const std::string* FindKey(const UdevRule& rule, const std::string& name, const std::string& op) {
    for (const UdevKey& key : rule)
        if (key.name == name && key.op == op) return &key.value;
    return nullptr;
}

std::vector<std::string> GrantProblems(const UdevRule& rule) {
    std::vector<std::string> problems;
    for (const UdevKey& key : rule) {
        if (key.name == "RUN" || key.name.rfind("RUN{", 0) == 0 || key.name == "PROGRAM" ||
            key.name == "IMPORT{program}")
            problems.push_back(key.name + " runs a program");
        if (key.name == "OWNER" || key.name == "GROUP") problems.push_back(key.name + " hands the node to others");
        if (key.name == "MODE") {
            char* end = nullptr;
            const unsigned long mode = std::strtoul(key.value.c_str(), &end, 8);
            if (end == key.value.c_str() || *end != '\0' || (mode & 07) != 0)
                problems.push_back("MODE=\"" + key.value + "\" lets others at the node");
        }
    }
    return problems;
}

}  // namespace kelm::test
