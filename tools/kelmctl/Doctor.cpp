#include "tools/kelmctl/Doctor.h"

#include <cstdio>
#include <ostream>

namespace kelm::ctl {

namespace {

constexpr const char* kDash = " \u2014 ";

class Findings {
public:
    void Ok(std::string what) { list_.push_back({FindingStatus::Ok, std::move(what), {}}); }
    void Missing(std::string what, std::string fix) {
        list_.push_back({FindingStatus::Missing, std::move(what), std::move(fix)});
    }
    void Optional(std::string what, std::string fix) {
        list_.push_back({FindingStatus::Optional, std::move(what), std::move(fix)});
    }
    std::vector<Finding> Take() { return std::move(list_); }

private:
    std::vector<Finding> list_;
};

std::string Hex4(std::uint16_t value, const char* format) {
    char text[8];
    std::snprintf(text, sizeof text, format, static_cast<unsigned>(value));
    return text;
}

std::string UdevRule(const HidKeyboard& keyboard) {
    return "give your user access with a udev rule such as KERNEL==\"hidraw*\", ATTRS{idVendor}==\"" +
           Hex4(keyboard.vendorId, "%04x") + "\", ATTRS{idProduct}==\"" + Hex4(keyboard.productId, "%04x") +
           "\", TAG+=\"uaccess\" in /etc/udev/rules.d/70-kelm.rules, then replug the keyboard";
}

void CheckHidKeyboard(IDoctorProbes& probes, const std::string& programFolder, Findings& findings) {
    std::string error;
    const std::optional<HidKeyboard> keyboard = probes.FindHidKeyboard(error);
    if (!keyboard) {
        findings.Missing("the keyboard's ids: " + error,
                         "write [Device] VendorId and ProductId into " + programFolder + "devbridge.ini");
        return;
    }
    const std::string ids = Hex4(keyboard->vendorId, "%04X") + ":" + Hex4(keyboard->productId, "%04X");
    if (keyboard->nodes.empty()) {
        findings.Missing(
            "no keyboard " + ids + " is plugged in",
            "plug it in (KelmWatch finds it when it arrives), or check the ids in " + programFolder + "devbridge.ini");
        return;
    }
    bool used = false;
    for (const HidNode& node : keyboard->nodes) {
        used = used || node.used;
        const std::string what = "read/write access to " + node.path + " (keyboard " + ids +
                                 (node.used ? ", the interface the suite uses)" : ")");
        if (probes.CanReadWrite(node.path))
            findings.Ok(what);
        else if (node.used)
            findings.Missing("no " + what, UdevRule(*keyboard));
        else
            findings.Optional("no " + what, "the suite does not use this interface; " + UdevRule(*keyboard));
    }
    if (!used)
        findings.Missing("none of the keyboard's interfaces matches UsagePage and Interface of devbridge.ini",
                         "correct or remove them in " + programFolder + "devbridge.ini");
}

void CheckKeyboard(IDoctorProbes& probes, const std::string& programFolder, Findings& findings) {
    std::string error;
    if (!probes.DeviceLibraryLoads(error)) {
        findings.Missing("the device library: " + error,
                         "reinstall the suite; libdevbridge.so belongs in the program folder " + programFolder);
        return;
    }
    findings.Ok("the device library libdevbridge.so loads");
    const std::string device = probes.Environment("KELM_DEVICE");
    if (device.rfind("emu", 0) != 0) {
        CheckHidKeyboard(probes, programFolder, findings);
        return;
    }
    const std::string which = "the software keyboard KelmEmu is used (KELM_DEVICE=" + device + ")";
    if (probes.KeyboardAnswers())
        findings.Ok(which + " and answers");
    else
        findings.Missing(which + " but does not answer",
                         "start it (KelmEmu &, or KelmEmu --socket PATH & for KELM_DEVICE=emu:PATH), or unset "
                         "KELM_DEVICE to use the USB keyboard");
}

void CheckDesktop(IDoctorProbes& probes, Findings& findings) {
    const std::string x11 = probes.Environment("DISPLAY");
    const std::string wayland = probes.Environment("WAYLAND_DISPLAY");
    if (!wayland.empty())
        findings.Ok("a display: WAYLAND_DISPLAY=" + wayland);
    else if (!x11.empty())
        findings.Ok("a display: DISPLAY=" + x11);
    else
        findings.Missing("no display: neither DISPLAY nor WAYLAND_DISPLAY is set",
                         "run the suite in a desktop session, or export DISPLAY or WAYLAND_DISPLAY");

    if (probes.CanReadWrite("/dev/uinput"))
        findings.Ok("read/write access to /dev/uinput (typing macros on Wayland)");
    else
        findings.Optional("no read/write access to /dev/uinput, which typing macros needs on Wayland",
                          "load the module (sudo modprobe uinput) and add the udev rule KERNEL==\"uinput\", "
                          "TAG+=\"uaccess\" (installed: /usr/share/doc/kelm/examples/71-kelm-uinput.rules)");

    const bool bus = probes.SessionBus();
    if (bus)
        findings.Ok("the session bus");
    else
        findings.Optional("no session bus, which the tray icon, media keys and notifications use",
                          "run the suite in a desktop session (DBUS_SESSION_BUS_ADDRESS)");
    if (bus && probes.StatusNotifierWatcher())
        findings.Ok("a tray: StatusNotifierWatcher on the session bus");
    else if (!x11.empty() && probes.X11SystemTray())
        findings.Ok("a tray: the X11 system tray (_NET_SYSTEM_TRAY_S0)");
    else
        findings.Optional("no tray: no StatusNotifierWatcher on the session bus and no X11 system tray",
                          "enable the desktop's tray (on GNOME the AppIndicator extension); KelmWatch runs "
                          "without its icon");
    if (probes.Logind())
        findings.Ok("logind on the system bus");
    else
        findings.Optional("no logind on the system bus, which tells KelmWatch of suspend and resume",
                          "the keyboard is read back at its next connect instead");
}

void CheckSound(IDoctorProbes& probes, Findings& findings) {
    if (probes.CanberraLoads())
        findings.Ok("libcanberra for the sounds");
    else
        findings.Optional("libcanberra cannot be loaded, so the suite plays no sounds",
                          "install it: sudo apt-get install libcanberra0");
    if (probes.AlsaPlaybackDevice())
        findings.Ok("a sound device (ALSA)");
    else
        findings.Optional("no ALSA playback device", "check that a sound card is there and that your user may use it");
}

}  // namespace

std::vector<Finding> Diagnose(IDoctorProbes& probes, const StoreLocation& where) {
    Findings findings;
    CheckKeyboard(probes, where.programFolder, findings);
    CheckDesktop(probes, findings);
    CheckSound(probes, findings);
    if (probes.FolderWritable(where.settingsFolder))
        findings.Ok("the settings folder " + where.settingsFolder + " is writable");
    else
        findings.Missing("the settings folder " + where.settingsFolder + " cannot be written",
                         "give your user write access to it, or set KELM_HOME to a folder of your own");
    if (probes.MonitorRunning())
        findings.Ok("KelmWatch is running");
    else
        findings.Optional("KelmWatch is not running",
                          "start it from the application menu, or run kelmwatch & (KelmWatch & in a build)");
    return findings.Take();
}

int PrintFindings(std::ostream& out, const std::vector<Finding>& findings) {
    bool missing = false;
    for (const Finding& finding : findings) {
        switch (finding.status) {
            case FindingStatus::Ok:
                out << "ok: " << finding.what << '\n';
                break;
            case FindingStatus::Missing:
                missing = true;
                out << "missing: " << finding.what << kDash << finding.fix << '\n';
                break;
            case FindingStatus::Optional:
                out << "optional: " << finding.what << kDash << finding.fix << '\n';
                break;
        }
    }
    return missing ? 1 : 0;
}

}  // namespace kelm::ctl
