// kelmctl doctor's findings over a recording double of the system: what it
// reports, what decides the exit status, and which probes it asks.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "tools/kelmctl/Doctor.h"

namespace kelm::ctl {
namespace {

class RecordingProbes final : public IDoctorProbes {
public:
    // A desktop where everything is in place.
    std::map<std::string, std::string> environment = {{"DISPLAY", ":0"}};
    std::string libraryError;  // empty: the library loads
    bool keyboardAnswers = true;
    std::optional<HidKeyboard> keyboard =
        HidKeyboard{0x1A2C, 0x0E24, {{"/dev/hidraw2", false}, {"/dev/hidraw3", true}}};
    std::string hidError;
    std::map<std::string, bool> readWrite = {{"/dev/hidraw2", true}, {"/dev/hidraw3", true}, {"/dev/uinput", true}};
    bool folderWritable = true, watcher = true, x11Tray = true, canberra = true, alsa = true, bus = true, logind = true,
         monitor = true;

    std::vector<std::string> asked;

    std::string Environment(const char* name) override {
        asked.push_back(std::string("env ") + name);
        const auto found = environment.find(name);
        return found != environment.end() ? found->second : "";
    }
    bool DeviceLibraryLoads(std::string& error) override {
        asked.push_back("library");
        error = libraryError;
        return libraryError.empty();
    }
    bool KeyboardAnswers() override { return Ask("answers", keyboardAnswers); }
    std::optional<HidKeyboard> FindHidKeyboard(std::string& error) override {
        asked.push_back("hid");
        error = hidError;
        return keyboard;
    }
    bool CanReadWrite(const std::string& path) override { return Ask("rw " + path, readWrite[path]); }
    bool FolderWritable(const std::string& path) override { return Ask("folder " + path, folderWritable); }
    bool StatusNotifierWatcher() override { return Ask("watcher", watcher); }
    bool X11SystemTray() override { return Ask("x11 tray", x11Tray); }
    bool CanberraLoads() override { return Ask("canberra", canberra); }
    bool AlsaPlaybackDevice() override { return Ask("alsa", alsa); }
    bool SessionBus() override { return Ask("bus", bus); }
    bool Logind() override { return Ask("logind", logind); }
    bool MonitorRunning() override { return Ask("monitor", monitor); }

private:
    bool Ask(std::string what, bool answer) {
        asked.push_back(std::move(what));
        return answer;
    }
};

StoreLocation Where() {
    StoreLocation where;
    where.programFolder = "/opt/kelm/";
    where.settingsFolder = "/home/u/.local/share/kelm/";
    return where;
}

struct Case {
    const char* name;
    void (*change)(RecordingProbes&);
    int status;
    std::vector<std::string> lines;  // each must be among the output's lines
};

bool HasLine(const std::string& text, const std::string& line) {
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

TEST(Doctor, FindingsAndStatus) {
    const std::string rule =
        "give your user access with a udev rule such as KERNEL==\"hidraw*\", ATTRS{idVendor}==\"1a2c\", "
        "ATTRS{idProduct}==\"0e24\", TAG+=\"uaccess\" in /etc/udev/rules.d/70-kelm.rules, then replug the keyboard";
    const std::vector<Case> cases = {
        {"everything in place",
         [](RecordingProbes&) {},
         0,
         {"ok: the device library libdevbridge.so loads", "ok: read/write access to /dev/hidraw2 (keyboard 1A2C:0E24)",
          "ok: read/write access to /dev/hidraw3 (keyboard 1A2C:0E24, the interface the suite uses)",
          "ok: a display: DISPLAY=:0", "ok: read/write access to /dev/uinput (typing macros on Wayland)",
          "ok: the session bus", "ok: a tray: StatusNotifierWatcher on the session bus", "ok: logind on the system bus",
          "ok: libcanberra for the sounds", "ok: a sound device (ALSA)",
          "ok: the settings folder /home/u/.local/share/kelm/ is writable", "ok: KelmWatch is running"}},
        {"no access to the interface the suite uses",
         [](RecordingProbes& p) { p.readWrite["/dev/hidraw3"] = false; },
         1,
         {"missing: no read/write access to /dev/hidraw3 (keyboard 1A2C:0E24, the interface the suite uses) \u2014 " +
          rule}},
        {"no access to another interface only",
         [](RecordingProbes& p) { p.readWrite["/dev/hidraw2"] = false; },
         0,
         {"optional: no read/write access to /dev/hidraw2 (keyboard 1A2C:0E24) \u2014 the suite does not use this "
          "interface; " +
          rule}},
        {"no keyboard plugged in",
         [](RecordingProbes& p) { p.keyboard->nodes.clear(); },
         1,
         {"missing: no keyboard 1A2C:0E24 is plugged in \u2014 plug it in (KelmWatch finds it when it arrives), or "
          "check the ids in /opt/kelm/devbridge.ini"}},
        {"no devbridge.ini",
         [](RecordingProbes& p) {
             p.keyboard.reset();
             p.hidError = "/opt/kelm/devbridge.ini is missing";
         },
         1,
         {"missing: the keyboard's ids: /opt/kelm/devbridge.ini is missing \u2014 write [Device] VendorId and "
          "ProductId into /opt/kelm/devbridge.ini"}},
        {"ini ids match no interface",
         [](RecordingProbes& p) { p.keyboard->nodes[1].used = false; },
         1,
         {"missing: none of the keyboard's interfaces matches UsagePage and Interface of devbridge.ini \u2014 "
          "correct or remove them in /opt/kelm/devbridge.ini"}},
        {"software keyboard answers",
         [](RecordingProbes& p) { p.environment["KELM_DEVICE"] = "emu:/run/k.sock"; },
         0,
         {"ok: the software keyboard KelmEmu is used (KELM_DEVICE=emu:/run/k.sock) and answers"}},
        {"software keyboard silent",
         [](RecordingProbes& p) {
             p.environment["KELM_DEVICE"] = "emu";
             p.keyboardAnswers = false;
         },
         1,
         {"missing: the software keyboard KelmEmu is used (KELM_DEVICE=emu) but does not answer \u2014 start it "
          "(KelmEmu &, or KelmEmu --socket PATH & for KELM_DEVICE=emu:PATH), or unset KELM_DEVICE to use the USB "
          "keyboard"}},
        {"no library",
         [](RecordingProbes& p) { p.libraryError = "cannot load /opt/kelm/libdevbridge.so"; },
         1,
         {"missing: the device library: cannot load /opt/kelm/libdevbridge.so \u2014 reinstall the suite; "
          "libdevbridge.so belongs in the program folder /opt/kelm/"}},
        {"only optional parts missing",
         [](RecordingProbes& p) {
             p.environment = {{"WAYLAND_DISPLAY", "wayland-0"}};
             p.readWrite["/dev/uinput"] = false;
             p.watcher = p.canberra = p.alsa = p.logind = p.monitor = false;
         },
         0,
         {"ok: a display: WAYLAND_DISPLAY=wayland-0",
          "optional: no tray: no StatusNotifierWatcher on the session bus and no X11 system tray \u2014 enable the "
          "desktop's tray (on GNOME the AppIndicator extension); KelmWatch runs without its icon",
          "optional: KelmWatch is not running \u2014 start it from the application menu, or run kelmwatch & (KelmWatch "
          "& in a build)"}},
        {"X11 tray without a watcher",
         [](RecordingProbes& p) { p.watcher = false; },
         0,
         {"ok: a tray: the X11 system tray (_NET_SYSTEM_TRAY_S0)"}},
        {"no display, no settings folder",
         [](RecordingProbes& p) {
             p.environment.clear();
             p.folderWritable = false;
         },
         1,
         {"missing: no display: neither DISPLAY nor WAYLAND_DISPLAY is set \u2014 run the suite in a desktop "
          "session, or export DISPLAY or WAYLAND_DISPLAY",
          "missing: the settings folder /home/u/.local/share/kelm/ cannot be written \u2014 give your user write "
          "access to it, or set KELM_HOME to a folder of your own"}},
    };
    for (const Case& c : cases) {
        RecordingProbes probes;
        c.change(probes);
        std::ostringstream out;
        EXPECT_EQ(PrintFindings(out, Diagnose(probes, Where())), c.status) << c.name << "\n" << out.str();
        for (const std::string& line : c.lines) EXPECT_TRUE(HasLine(out.str(), line)) << c.name << "\n" << out.str();
        // Every line is one finding of one of the three kinds.
        std::istringstream lines(out.str());
        for (std::string line; std::getline(lines, line);)
            EXPECT_TRUE(line.rfind("ok: ", 0) == 0 || line.rfind("missing: ", 0) == 0 ||
                        line.rfind("optional: ", 0) == 0)
                << c.name << ": " << line;
    }
}

TEST(Doctor, AsksOnlyWhatTheAnswerNeeds) {
    RecordingProbes emu;
    emu.environment["KELM_DEVICE"] = "emu";
    Diagnose(emu, Where());
    EXPECT_EQ(std::count(emu.asked.begin(), emu.asked.end(), "hid"), 0) << "the software keyboard has no hidraw node";
    EXPECT_EQ(std::count(emu.asked.begin(), emu.asked.end(), "x11 tray"), 0) << "the watcher answered";

    RecordingProbes noLibrary;
    noLibrary.libraryError = "cannot load";
    Diagnose(noLibrary, Where());
    EXPECT_EQ(std::count(noLibrary.asked.begin(), noLibrary.asked.end(), "hid"), 0);
    EXPECT_EQ(std::count(noLibrary.asked.begin(), noLibrary.asked.end(), "folder /home/u/.local/share/kelm/"), 1)
        << "the settings folder, not the program folder";

    RecordingProbes noBus;
    noBus.bus = false;
    noBus.environment.clear();
    std::ostringstream out;
    PrintFindings(out, Diagnose(noBus, Where()));
    EXPECT_EQ(std::count(noBus.asked.begin(), noBus.asked.end(), "watcher"), 0);
    EXPECT_EQ(std::count(noBus.asked.begin(), noBus.asked.end(), "x11 tray"), 0) << "no X display to ask";
}

}  // namespace
}  // namespace kelm::ctl
