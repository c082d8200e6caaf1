// The rule files as udev itself applies them: `udevadm test` on devices of a
// made-up sysfs tree, bound over /sys in a mount namespace of the test's own
// (root only; elsewhere skipped). The system's rules run too, so the test
// also shows that 73-seat-late.rules acts on the tag.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "devbridge/HidConfig.h"
#include "tests/support/Programs.h"
#include "tests/support/TempFolder.h"

namespace kelm::test {
namespace {

namespace fs = std::filesystem;

const std::string kData = KELM_DATA_DIR;
const std::string kUnshare = "/usr/bin/unshare";

// Mounts stay inside the namespace; /dev and /run/udev are fresh, so the
// links and database entries udevadm makes go nowhere.
constexpr const char* kScript = R"sh(
command -v udevadm >/dev/null || exit 77
[ -d /etc/udev/rules.d ] && [ -d /run/udev ] || exit 77
mount --bind "$1" /sys && mount --bind "$2" /etc/udev/rules.d && mount -t tmpfs tmpfs /run/udev &&
  mount -t tmpfs tmpfs /dev || exit 77
SYSTEMD_DEVICE_VERIFY_SYSFS=0 exec udevadm test --action=add "$3"
)sh";

std::string Hex(unsigned id, const char* format) {
    char text[8];
    std::snprintf(text, sizeof text, format, id);
    return text;
}

void WriteLink(const fs::path& at, const fs::path& root, const std::string& subsystem) {
    fs::create_directories(root / subsystem);
    fs::create_directory_symlink(root / subsystem, at / "subsystem");
}

// A property of udevadm's closing list, "" when it has none.
std::string Property(const std::string& out, const std::string& name) {
    const std::size_t at = out.find("\n" + name + "=");
    if (at == std::string::npos) return "";
    const std::size_t start = at + name.size() + 2;
    return out.substr(start, out.find('\n', start) - start);
}

class FakeSysfs {
public:
    FakeSysfs() {
        for (const char* folder : {"bus/usb", "bus/hid", "class/hidraw", "class/misc"})
            fs::create_directories(Root() / folder);
    }
    fs::path Root() const { return folder_.Path() + "/sys"; }
    std::string Rules() const { return folder_ / "rules"; }

    // A USB keyboard's vendor interface with its HID device and hidraw node,
    // as the kernel lays them out. The hidraw node's path in /sys.
    std::string AddKeyboard(int port, unsigned vendor, unsigned product) {
        const fs::path usb = Root() / "devices/pci0000:00/0000:00:14.0/usb1" / ("1-" + std::to_string(port));
        const fs::path interface = usb / ("1-" + std::to_string(port) + ":1.1");
        const fs::path hid = interface / ("0003:" + Hex(vendor, "%04X") + ":" + Hex(product, "%04X") + ".0001");
        const fs::path hidraw = hid / "hidraw" / ("hidraw" + std::to_string(port));
        fs::create_directories(hidraw);
        WriteFile(usb / "idVendor", Hex(vendor, "%04x") + "\n");
        WriteFile(usb / "idProduct", Hex(product, "%04x") + "\n");
        WriteFile(usb / "uevent", "MAJOR=189\nMINOR=" + std::to_string(port) + "\nDEVTYPE=usb_device\n");
        WriteLink(usb, Root(), "bus/usb");
        WriteFile(interface / "uevent", "DEVTYPE=usb_interface\nINTERFACE=3/0/0\n");
        WriteLink(interface, Root(), "bus/usb");
        WriteFile(hid / "uevent", "HID_ID=0003:0000" + Hex(vendor, "%04X") + ":0000" + Hex(product, "%04X") + "\n");
        WriteLink(hid, Root(), "bus/hid");
        WriteFile(hidraw / "uevent",
                  "MAJOR=241\nMINOR=" + std::to_string(port) + "\nDEVNAME=hidraw" + std::to_string(port) + "\n");
        WriteLink(hidraw, Root(), "class/hidraw");
        return ("/sys" / fs::relative(hidraw, Root())).string();
    }
    std::string AddUinput() {
        const fs::path uinput = Root() / "devices/virtual/misc/uinput";
        fs::create_directories(uinput);
        WriteFile(uinput / "uevent", "MAJOR=10\nMINOR=223\nDEVNAME=uinput\n");
        WriteLink(uinput, Root(), "class/misc");
        return "/sys/devices/virtual/misc/uinput";
    }

    // udevadm's report on the device, with every rule file of data/udev/
    // in /etc/udev/rules.d.
    ProgramResult Test(const std::string& device) const {
        fs::create_directories(Rules());
        for (const auto& entry : fs::directory_iterator(kData + "/udev"))
            fs::copy_file(entry.path(), Rules() / entry.path().filename(), fs::copy_options::overwrite_existing);
        const std::string out = folder_ / "udevadm.out";
        const pid_t pid =
            Spawn({kUnshare, "-m", "/bin/sh", "-c", kScript, "sh", Root().string(), Rules(), device}, out);
        ProgramResult result;
        result.status = pid < 0 ? -1 : WaitExit(pid, 30000);
        result.out = ReadFile(out);
        return result;
    }

private:
    static void WriteFile(const fs::path& path, const std::string& text) { test::WriteFile(path.string(), text); }
    TempFolder folder_;
};

TEST(Udevadm, SeatGetsTheKeyboardAndUinputOnly) {
    if (::geteuid() != 0) GTEST_SKIP() << "a mount namespace over /sys needs root";
    if (::access(kUnshare.c_str(), X_OK) != 0) GTEST_SKIP() << kUnshare << " is not there";
    std::string error;
    const auto config = bridge::LoadHidConfig(kData + "/devbridge/devbridge.ini", &error);
    ASSERT_TRUE(config) << error;

    FakeSysfs sysfs;
    const std::string keyboard = sysfs.AddKeyboard(1, config->vendorId, config->productId);
    const struct {
        std::string what;
        std::string device;
        bool seat;
    } cases[] = {
        {"the keyboard's hidraw node", keyboard, true},
        {"the keyboard's HID device", fs::path(keyboard).parent_path().parent_path().string(), false},
        {"another product of the vendor", sysfs.AddKeyboard(2, config->vendorId, config->productId ^ 1), false},
        {"another vendor's product", sysfs.AddKeyboard(3, config->vendorId ^ 0x100, config->productId), false},
        {"uinput", sysfs.AddUinput(), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ProgramResult result = sysfs.Test(c.device);
        if (result.status == 77) GTEST_SKIP() << "udevadm or a mount namespace is not available:\n" << result.out;
        ASSERT_EQ(result.status, 0) << result.out;
        ASSERT_NE(result.out.find("DEVPATH=" + c.device.substr(4) + "\n"), std::string::npos) << result.out;
        EXPECT_EQ(Property(result.out, "TAGS").find(":uaccess:") != std::string::npos, c.seat) << result.out;
        // Only a tag that 73-seat-late.rules sees reaches logind.
        EXPECT_EQ(result.out.find("73-seat-late.rules") != std::string::npos &&
                      result.out.find("RUN 'uaccess'") != std::string::npos,
                  c.seat)
            << result.out;
    }
}

}  // namespace
}  // namespace kelm::test
