#include "emulator/EmuDump.h"

#include <cstdio>

#include "settings/json/JsonFormat.h"
#include "settings/json/ProfileJson.h"

namespace kelm::emu {

namespace {

using json::Json;

std::string HexBytes(const std::uint8_t* bytes, std::size_t size) {
    std::string out;
    char digits[3];
    for (std::size_t i = 0; i < size; ++i) {
        std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
        out += digits;
    }
    return out;
}

Json Nullable(const std::optional<int>& value) { return value ? Json(*value) : Json(nullptr); }

}  // namespace

std::string DumpKeyboard(EmuKeyboard& keyboard) {
    const KeyboardMemory& memory = keyboard.Memory();
    const auto relay = keyboard.LastRelayReport();
    const auto host = keyboard.HostState();
    const EmuFaults& faults = keyboard.Faults();
    Json out = Json::object();
    out["FWVersion"] = memory.FWVersion;
    out["LoaderVersion"] = keyboard.LoaderVersion();
    out["UpdateMode"] = keyboard.InUpdateMode();
    out["CurrentProfile"] = memory.CurrentProfile;
    out["Plugged"] = keyboard.Plugged();
    out["HostState"] = host ? Json(*host) : Json(nullptr);
    out["SyncStamp"] = HexBytes(memory.Stamp.data(), memory.Stamp.size());
    out["PactRelay"] = relay ? Json(HexBytes(relay->data(), relay->size())) : Json(nullptr);
    out["Faults"] = Json{{"BusyPolls", faults.BusyPolls()},
                         {"ReadFailures", faults.ReadFailures()},
                         {"ChecksumFaults", faults.ChecksumFaults()},
                         {"UnplugAfter", Nullable(faults.UnplugCountdown())},
                         {"Repeats", faults.Repeats()},
                         {"BlockFail", Nullable(faults.FailingBlock())},
                         {"UnplugAfterBlocks", Nullable(faults.UnplugBlockCountdown())}};
    Json profiles = Json::array();
    for (const ProfileRecord& profile : memory.Profiles) profiles.push_back(json::ProfileToJson(profile));
    out["Profiles"] = std::move(profiles);
    return json::FormatJson(out) + "\n";
}

}  // namespace kelm::emu
