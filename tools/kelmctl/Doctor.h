// kelmctl doctor: what a working installation needs, one finding per line.
// The logic sees the system only through IDoctorProbes, so that it is
// tested with a recording double; the real probes are in SystemProbes.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "settings/StoreLocation.h"

namespace kelm::ctl {

// One hidraw node of the keyboard, as the device library enumerates them.
struct HidNode {
    std::string path;
    bool used = false;  // the interface the device library opens
};

struct HidKeyboard {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::vector<HidNode> nodes;  // empty when none is plugged in
};

class IDoctorProbes {
public:
    virtual ~IDoctorProbes() = default;
    // The value of an environment variable, "" when unset.
    virtual std::string Environment(const char* name) = 0;
    // The device library of the program folder loads; else the reason.
    virtual bool DeviceLibraryLoads(std::string& error) = 0;
    // The keyboard KELM_DEVICE names answers an open.
    virtual bool KeyboardAnswers() = 0;
    // The keyboard's nodes found as the device library finds them, or
    // nothing with the reason (devbridge.ini missing or malformed).
    virtual std::optional<HidKeyboard> FindHidKeyboard(std::string& error) = 0;
    virtual bool CanReadWrite(const std::string& path) = 0;
    // Writable, or creatable where it does not exist yet.
    virtual bool FolderWritable(const std::string& path) = 0;
    virtual bool StatusNotifierWatcher() = 0;  // on the session bus
    virtual bool X11SystemTray() = 0;          // _NET_SYSTEM_TRAY_S0 has an owner
    virtual bool CanberraLoads() = 0;
    virtual bool AlsaPlaybackDevice() = 0;
    virtual bool SessionBus() = 0;
    virtual bool Logind() = 0;  // org.freedesktop.login1 on the system bus
    virtual bool MonitorRunning() = 0;
};

enum class FindingStatus {
    Ok,
    Missing,   // the suite does not work without it
    Optional,  // missing, but only a part of the suite needs it
};

struct Finding {
    FindingStatus status;
    std::string what;
    std::string fix;  // how to mend it; empty for Ok
};

std::vector<Finding> Diagnose(IDoctorProbes& probes, const StoreLocation& where);

// "ok: what", "missing: what — fix", "optional: what — fix", a line each;
// 0 when nothing essential is missing, else 1.
int PrintFindings(std::ostream& out, const std::vector<Finding>& findings);

}  // namespace kelm::ctl
