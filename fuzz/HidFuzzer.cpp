// What the hid backend takes from the keyboard: the input reports that
// carry its events (read step by step on the monitor thread and posted to
// the program), the answers to feature reads, and what hidapi enumerates,
// from which the keyboard's interface is picked. The input's layout is
// described in InputReader.h.
//
// An input report gives exactly the event its bytes spell or none; every
// event the monitor posts falls between a presence 1 and a presence 0 and
// decodes, on the program's side, to an action within its ranges; a feature
// answer fills the buffer up to what was received and zeros the rest.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "devbridge/HidBackend.h"
#include "devbridge/HidConfig.h"
#include "devbridge/HidInputReport.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/InputReader.h"
#include "keyboard/DeviceEvents.h"

namespace {

using namespace kelm;
using namespace kelm::bridge;
using kelm::fuzz::InputReader;
namespace format = kelm::fuzz::hid;

constexpr unsigned kEventMsg = 1325;
constexpr unsigned kPresenceMsg = 1326;
constexpr std::size_t kMaxSteps = 256;
constexpr std::size_t kMaxFeatureLength = 4096;

// The keyboard as the input describes it, shared by the monitor's and the
// feature channel's devices.
struct Keyboard {
    std::vector<HidDeviceInfo> devices;
    int readResult = 0;  // -1 failed, 0 timed out, else the report below
    std::string report;
    std::optional<std::string> delivered;  // what the last read handed over
    std::string featureAnswer;
    bool hotplugChanged = false;
};

class ScriptedDevice final : public HidDevice {
public:
    explicit ScriptedDevice(Keyboard& keyboard) : keyboard_(keyboard) {}
    int SendFeature(const std::uint8_t*, std::size_t length) override { return static_cast<int>(length); }
    // Like hidapi: at most the buffer, -1 when nothing came.
    int GetFeature(std::uint8_t* data, std::size_t length) override {
        if (keyboard_.featureAnswer.empty()) return -1;
        const std::size_t n = std::min(length, keyboard_.featureAnswer.size());
        std::memcpy(data, keyboard_.featureAnswer.data(), n);
        return static_cast<int>(n);
    }
    int Read(std::uint8_t* data, std::size_t length, int) override {
        if (keyboard_.readResult <= 0) return keyboard_.readResult;
        const std::size_t n = std::min(length, keyboard_.report.size());
        std::memcpy(data, keyboard_.report.data(), n);
        keyboard_.delivered = keyboard_.report.substr(0, n);
        return static_cast<int>(n);
    }

private:
    Keyboard& keyboard_;
};

class ScriptedHidApi final : public HidApi {
public:
    explicit ScriptedHidApi(Keyboard& keyboard) : keyboard_(keyboard) {}
    std::vector<HidDeviceInfo> Enumerate(std::uint16_t, std::uint16_t) override { return keyboard_.devices; }
    std::unique_ptr<HidDevice> Open(const std::string& path) override {
        FUZZ_CHECK(!path.empty());
        return std::make_unique<ScriptedDevice>(keyboard_);
    }

private:
    Keyboard& keyboard_;
};

class ScriptedHotplug final : public HotplugSource {
public:
    explicit ScriptedHotplug(Keyboard& keyboard) : keyboard_(keyboard) {}
    bool WaitForChange(int) override { return std::exchange(keyboard_.hotplugChanged, false); }

private:
    Keyboard& keyboard_;
};

struct Posted {
    unsigned msg;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

class Recorder : public KelmWindow {
public:
    Recorder() : KelmWindow{&Recorder::Post} {}
    std::vector<Posted> posted;

private:
    static void Post(KelmWindow* self, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) {
        static_cast<Recorder*>(self)->posted.push_back({msg, wParam, lParam});
    }
};

// ---- the rules as HidInputReport.h and HidConfig.h state them ----

std::optional<InputEvent> ExpectedEvent(std::string_view report, std::uint8_t eventReportId) {
    if (report.size() < 5 || static_cast<std::uint8_t>(report[0]) != eventReportId) return std::nullopt;
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(report[i]); };
    const auto type = static_cast<std::uint16_t>(byte(1) | (byte(2) << 8));
    const auto data = static_cast<std::uint16_t>(byte(3) | (byte(4) << 8));
    if (type == 0) return std::nullopt;
    return InputEvent{type, data};
}

std::optional<HidDeviceInfo> ExpectedMatch(const std::vector<HidDeviceInfo>& devices, const HidConfig& config) {
    for (const HidDeviceInfo& d : devices) {
        const bool ids = d.vendorId == config.vendorId && d.productId == config.productId;
        const bool page = !config.usagePage || d.usagePage == *config.usagePage;
        const bool number = !config.interfaceNumber || d.interfaceNumber == *config.interfaceNumber;
        if (ids && !d.path.empty() && page && number) return d;
    }
    return std::nullopt;
}

void CheckDecodeInput(std::string_view report, std::uint8_t eventReportId) {
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(report.data()), report.size());
    FUZZ_CHECK(DecodeInputReport(bytes, eventReportId) == ExpectedEvent(report, eventReportId));
}

// What the program makes of a posted event stays within the documented ranges.
void CheckProgramSide(std::uintptr_t wParam, std::intptr_t lParam) {
    const std::uint32_t id = DeviceEventFromMessage(wParam, lParam);
    const DecodedEvent event = DecodeDeviceEvent(id);
    const int data = static_cast<int>(id & 0xFFFF);
    const auto keyNumber = [](int k) { return k >= 1 && k <= 48; };
    switch (event.action) {
        case DeviceAction::Profile:
            FUZZ_CHECK(event.argument >= 1 && event.argument <= 5);
            break;
        case DeviceAction::Brightness:
            FUZZ_CHECK(event.argument >= 1 && event.argument <= 6);
            break;
        case DeviceAction::QuickLaunch:
            FUZZ_CHECK(keyNumber(event.argument) && event.phase == 0);
            break;
        case DeviceAction::KeyFunction:
            FUZZ_CHECK(keyNumber(event.argument) && event.phase == (data >> 8));
            break;
        case DeviceAction::Media:
            FUZZ_CHECK(event.argument >= 0x20 && event.argument <= 0x27 && event.phase == (data >> 8));
            break;
        case DeviceAction::MacroRecord:
        case DeviceAction::PactKey:
            FUZZ_CHECK(event.argument == data);
            break;
        case DeviceAction::Arrival:
        case DeviceAction::Removal:
            FUZZ_CHECK((id >> 16) == EVT_PRESENCE);
            break;
        case DeviceAction::OpenSetup:
        case DeviceAction::None:
            break;
    }
}

HidConfig ReadConfig(InputReader& input) {
    HidConfig config;
    config.vendorId = format::kVendorId;
    config.productId = format::kProductId;
    config.eventReportId = input.Byte();
    const std::uint8_t flags = input.Byte();
    const std::uint16_t usagePage = input.Le16();
    const std::uint8_t interfaceNumber = input.Byte();
    if (flags & format::kUsagePageGiven) config.usagePage = usagePage;
    if (flags & format::kInterfaceGiven) config.interfaceNumber = interfaceNumber;
    return config;
}

std::vector<HidDeviceInfo> ReadDevices(InputReader& input) {
    std::vector<HidDeviceInfo> devices(input.Byte() % (format::kMaxDevices + 1));
    for (HidDeviceInfo& device : devices) {
        device.path = input.Text(64);
        device.vendorId = input.Le16();
        device.productId = input.Le16();
        device.usagePage = input.Le16();
        device.interfaceNumber = input.Byte();
    }
    return devices;
}

class Session {
public:
    Session(const HidConfig& config, std::vector<HidDeviceInfo> devices)
        : config_(config), monitorApi_(keyboard_), hotplug_(keyboard_),
          monitor_(monitorApi_, hotplug_, config, MessageTarget(&recorder_, kEventMsg, kPresenceMsg),
                   [this] { ++removals_; }),
          backend_(std::make_unique<ScriptedHidApi>(keyboard_), nullptr, config) {
        keyboard_.devices = std::move(devices);
        const auto match = MatchKeyboard(keyboard_.devices, config);
        const auto expected = ExpectedMatch(keyboard_.devices, config);
        FUZZ_CHECK(match.has_value() == expected.has_value());
        if (match)
            FUZZ_CHECK(match->path == expected->path && match->usagePage == expected->usagePage &&
                       match->interfaceNumber == expected->interfaceNumber);
        matches_ = match.has_value();
    }

    void Step(InputReader& input) {
        switch (input.Byte() % format::kStepKinds) {
            case format::kStepReport:
                keyboard_.readResult = 1;
                keyboard_.report = input.Text(80);
                CheckDecodeInput(keyboard_.report, config_.eventReportId);
                break;
            case format::kStepReadFails:
                keyboard_.readResult = -1;
                break;
            case format::kStepReadTimesOut:
                keyboard_.readResult = 0;
                break;
            case format::kStepHotplug:
                keyboard_.hotplugChanged = true;
                break;
            case format::kStepFeatureRead:
                FeatureRead(input);
                return;
        }
        RunMonitor();
    }

private:
    void RunMonitor() {
        const std::size_t before = recorder_.posted.size();
        keyboard_.delivered.reset();
        monitor_.Step();
        std::optional<InputEvent> expected;
        if (keyboard_.delivered) expected = ExpectedEvent(*keyboard_.delivered, config_.eventReportId);
        std::size_t events = 0;
        for (std::size_t i = before; i < recorder_.posted.size(); ++i) {
            const Posted& p = recorder_.posted[i];
            if (p.msg == kPresenceMsg) {
                // Presence alternates, starting with the arrival.
                FUZZ_CHECK(p.wParam == (present_ ? 0u : 1u) && p.lParam == 0);
                present_ = !present_;
                if (!present_) ++absences_;
                continue;
            }
            FUZZ_CHECK(p.msg == kEventMsg && present_ && expected.has_value());
            FUZZ_CHECK(p.wParam == expected->type && p.lParam == expected->data);
            CheckProgramSide(p.wParam, p.lParam);
            ++events;
        }
        FUZZ_CHECK(events == (expected ? 1u : 0u));
        FUZZ_CHECK(monitor_.Present() == present_);
        // Every removal also closed the feature channel.
        FUZZ_CHECK(removals_ == absences_);
        // Only a keyboard the match finds is ever announced.
        FUZZ_CHECK(!present_ || matches_);
    }

    void FeatureRead(InputReader& input) {
        const std::size_t length = 1 + input.Le16() % kMaxFeatureLength;
        keyboard_.featureAnswer = input.Text(kMaxFeatureLength + 64);
        if (!opened_) {
            opened_ = backend_.OpenFeature();
            FUZZ_CHECK(opened_ == matches_);
        }
        std::vector<std::uint8_t> buffer(length, 0xA5);
        buffer[0] = 0x0E;
        const bool ok = backend_.GetFeature(buffer.data(), buffer.size());
        FUZZ_CHECK(ok == (opened_ && !keyboard_.featureAnswer.empty()));
        if (!ok) return;
        const std::size_t got = std::min(length, keyboard_.featureAnswer.size());
        FUZZ_CHECK(std::memcmp(buffer.data(), keyboard_.featureAnswer.data(), got) == 0);
        FUZZ_CHECK(std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(got), buffer.end(),
                               [](std::uint8_t b) { return b == 0; }));
    }

    const HidConfig config_;
    Keyboard keyboard_;
    Recorder recorder_;
    ScriptedHidApi monitorApi_;
    ScriptedHotplug hotplug_;
    HidMonitor monitor_;
    HidBackend backend_;
    int removals_ = 0;
    int absences_ = 0;
    bool matches_ = false;
    bool present_ = false;
    bool opened_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputReader input(data, size);
    const HidConfig config = ReadConfig(input);
    Session session(config, ReadDevices(input));
    for (std::size_t step = 0; step < kMaxSteps && !input.Empty(); ++step) session.Step(input);
    return 0;
}
