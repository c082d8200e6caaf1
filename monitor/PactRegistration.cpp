#include "monitor/PactRegistration.h"

#include "monitor/MonitorIds.h"
#include "settings/IniFile.h"
#include "settings/Text.h"

namespace kelm {

namespace {
constexpr std::string_view kName = "Kelm";
}

void PactRegistration::Register() {
    IniFile file(path_);
    for (const std::string& section : file.ListSections()) {
        if (EqualsNoCase(file.ReadString(section, "Name", ""), kName)) {
            section_ = section;
            return;
        }
    }
    section_ = kName;
    file.WriteString(section_, "Name", kName);
    file.WriteString(section_, "WindowName", kMonitorTitle);
    file.WriteInt(section_, "Device", 0);
    file.Save();
}

void PactRegistration::WriteDeviceStatus(int value) {
    IniFile file(path_);
    file.WriteInt(section_, "Device", value);
    file.Save();
}

}  // namespace kelm
