// What `KelmEmu ctl log` says the keyboard received: the ids of the writes
// other than the ControlReport (the select and status traffic every
// transfer brings), and whether every transfer was accepted or answered
// and every read was a status read. Tests and benchmarks compare the writes
// with the reports an apply's change flags prescribe.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "keyboard/Reports.h"

namespace kelm::test {

struct LoggedReports {
    std::vector<std::uint8_t> writes;
    bool onlyStatusReads = true;
    bool allGood = true;
};

inline LoggedReports ParseReportLog(const std::string& log) {
    LoggedReports logged;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string direction, id, length, result;
        words >> direction >> id >> length >> result;
        const auto value = static_cast<std::uint8_t>(std::strtoul(id.c_str(), nullptr, 16));
        if (result != "accepted" && result != "answered") logged.allGood = false;
        if (direction == "get" && value != static_cast<std::uint8_t>(ReportId::ControlReport))
            logged.onlyStatusReads = false;
        if (direction == "set" && value != static_cast<std::uint8_t>(ReportId::ControlReport))
            logged.writes.push_back(value);
    }
    return logged;
}

// "08 14 " for a message.
inline std::string ReportIdList(const std::vector<std::uint8_t>& ids) {
    std::string text;
    for (const std::uint8_t id : ids) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X ", id);
        text += hex;
    }
    return text;
}

}  // namespace kelm::test
