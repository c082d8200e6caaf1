// Seeds of the targets at the device and message boundaries, made with the
// suite's own builders and, for the keyboard's answers, by recording what
// the software keyboard answers the monitor's sequences, so that every seed
// is what really crosses the boundary.
#include "fuzz/BoundarySeeds.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "emulator/EmuKeyboard.h"
#include "emulator/EmuWire.h"
#include "fuzz/InputReader.h"
#include "keyboard/FirmwareUpdate.h"
#include "keyboard/KeyboardProtocol.h"
#include "keyboard/Reports.h"
#include "platform/FileIo.h"
#include "platform/MessageFrame.h"
#include "settings/Defaults.h"
#include "settings/Text.h"

namespace kelm::fuzz {

namespace {

std::string Chars(const ReportBytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

void Le16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

MacroKeyInfo SampleMacro() {
    MacroKeyInfo entry{};
    entry.KeyIndex = 4;
    entry.FunctionCode = kFnMacro;
    entry.MacroOption = 2;
    CopyField(entry.KeyLabel, "Greet   ");  // trailing blanks do not come back
    CopyField(entry.MacroSetName, "Work");
    CopyField(entry.MacroName, "A name longer than its 24 bytes");
    entry.EventCount = 6;
    for (std::uint16_t i = 0; i < entry.EventCount; ++i)
        entry.Events[i] = {static_cast<std::uint8_t>(0x0B + i / 2), i % 2 == 0 ? kActionPress : kActionRelease,
                           static_cast<std::uint16_t>(25 * i)};
    return entry;
}

// A profile with something in every kind of key: shortcuts, a macro, media
// and profile keys, a function that is its key's standard code elsewhere.
std::unique_ptr<ProfileRecord> SampleProfile() {
    auto profile = std::make_unique<ProfileRecord>();
    DefaultProfile(*profile, 1);
    profile->ModifyKey[2] = 0;
    profile->LtBrightness = 5;
    profile->Keys[4] = SampleMacro();
    MacroKeyInfo& shortcut = profile->Keys[12];
    shortcut.FunctionCode = kFnShortcut;
    shortcut.EventCount = 1;
    shortcut.Events[0] = {0x06, 0x01, 0};  // Ctrl+C
    profile->Keys[36].FunctionCode = 0xCC;  // play/pause on F1
    profile->Keys[50].FunctionCode = 0xB2;  // profile cycle
    profile->Keys[56].FunctionCode = kFnStandard;
    return profile;
}

// ---- reports ----

std::vector<std::pair<std::string, ReportBytes>> SampleReports() {
    const auto profile = SampleProfile();
    std::vector<std::pair<std::string, ReportBytes>> reports = {
        {"select", BuildControlSelect(1, 0x60)},
        {"status", BuildControlStatus(kStatusBusy)},
        {"profile", BuildProfileReport(4)},
        {"modify", BuildModifyKeyReport({1, ModifyKeyMask(*profile)})},
        {"macro", BuildMacroReport({1, 4}, profile->Keys[4])},
        {"firmware", BuildFirmwareReport(115)},
        {"light", BuildLightReport(LightFromProfile(1, *profile))},
        {"reset", BuildResetReport()},
        {"stamp", BuildSyncStampReport(MakeSyncStamp(1'700'000'000))},
        {"hoststate", BuildHostStateReport(1)},
        {"relay", BuildPactRelayReport({2, 1})},
    };
    for (const KeyGroup& group : kKeyGroups)
        reports.emplace_back(std::string("group-") + InfoOf(group.id).name,
                             BuildKeyGroupReport(group, KeyGroupFromProfile(group, 1, *profile)));
    return reports;
}

// Records what a keyboard answers, in the form the reports target reads.
class RecordingDevice final : public IFeatureDevice {
public:
    explicit RecordingDevice(emu::EmuKeyboard& keyboard) : keyboard_(keyboard) {}
    bool SetFeature(std::span<const std::uint8_t> report) override { return keyboard_.SetFeature(report); }
    bool GetFeature(std::span<std::uint8_t> buffer) override {
        const auto answer = keyboard_.GetFeature(buffer[0], buffer.size());
        if (!answer) {
            script.push_back(static_cast<char>(reports::kAnswerFails));
            return false;
        }
        script.push_back(static_cast<char>(reports::kAnswerRaw));
        AppendText(script, Chars(*answer));
        std::fill(buffer.begin(), buffer.end(), 0);
        std::copy(answer->begin(), answer->end(), buffer.begin());
        return true;
    }
    std::string script;

private:
    emu::EmuKeyboard& keyboard_;
};

class NoSleep final : public emu::EmuClock {
public:
    std::int64_t NowMs() const override { return 0; }
};

class NoFiles final : public ISettingsFiles {
public:
    void StoreFirmwareVersion(int) override {}
    bool LoadSyncStamp(SyncStamp& stamp) override {
        stamp = MakeSyncStamp(1'700'000'000);
        return true;
    }
    void StoreSyncStamp(const SyncStamp&) override {}
    bool SaveRecord(const SettingsRecord&) override { return true; }
};

// The software keyboard's answers to the monitor's stamp check, read-back
// and recorded-macro read, in the order the reports target asks for them.
std::string ReadBackScript(std::uint8_t recordedKey, int busyPolls, bool stampMatches) {
    const NoSleep time;
    auto memory = emu::FactoryMemory(115);
    memory->Profiles[1] = *SampleProfile();
    memory->Profiles[3].Keys[0] = SampleMacro();
    memory->Profiles[3].Keys[0].KeyIndex = 0;
    memory->CurrentProfile = 1;
    if (stampMatches) memory->Stamp = MakeSyncStamp(1'700'000'000);
    emu::EmuKeyboard keyboard(time, std::move(memory));
    keyboard.SetBusyTiming({busyPolls, 0});
    RecordingDevice device(keyboard);
    VirtualClock clock;
    const std::atomic<bool> abortRequested{false};
    auto record = std::make_unique<SettingsRecord>();
    std::memset(record.get(), 0, sizeof *record);
    DefaultSettings(*record);
    NoFiles files;
    KeyboardProtocol protocol(device, clock, abortRequested, *record, {files});
    protocol.CheckSyncStamp();
    protocol.ReadAllFromKeyboard();
    protocol.HandleMacroRecordStage(static_cast<std::uint16_t>(0x0300 | recordedKey));
    return std::string(1, static_cast<char>(reports::kSequences)) + static_cast<char>(recordedKey) + device.script;
}

bool WriteReports(const std::string& folder) {
    bool ok = true;
    for (const auto& [name, report] : SampleReports())
        ok = ReplaceFileAtomically(folder + name + ".bin", std::string(1, reports::kOneReport) + Chars(report)) && ok;
    // Cut short: the target puts the length and checksum right.
    const ReportBytes macro = BuildMacroReport({0, 4}, SampleMacro());
    ok = ReplaceFileAtomically(folder + "macro-cut.bin",
                               std::string(1, reports::kFramedReport) + Chars(macro).substr(0, 120)) &&
         ok;
    ok = ReplaceFileAtomically(folder + "readback.bin", ReadBackScript(5, 0, false)) && ok;
    ok = ReplaceFileAtomically(folder + "readback-busy-stamp.bin", ReadBackScript(1, 2, true)) && ok;
    return ok;
}

// ---- hid ----

std::string HidDevices() {
    std::string out;
    out.push_back(static_cast<char>(0x20));  // event report id
    out.push_back(static_cast<char>(hid::kUsagePageGiven));
    Le16(out, 0xFF00);
    out.push_back(1);
    out.push_back(3);
    const std::pair<const char*, std::uint16_t> interfaces[] = {
        {"/dev/hidraw3", 0x0001}, {"", 0xFF00}, {"/dev/hidraw4", 0xFF00}};
    std::uint8_t number = 0;
    for (const auto& [path, usagePage] : interfaces) {
        AppendText(out, path);
        Le16(out, hid::kVendorId);
        Le16(out, hid::kProductId);
        Le16(out, usagePage);
        out.push_back(static_cast<char>(number++));
    }
    return out;
}

void InputReport(std::string& out, std::string_view report) {
    out.push_back(static_cast<char>(hid::kStepReport));
    AppendText(out, report);
}

void FeatureRead(std::string& out, std::uint16_t length, const ReportBytes& answer) {
    out.push_back(static_cast<char>(hid::kStepFeatureRead));
    Le16(out, length);
    AppendText(out, Chars(answer));
}

bool WriteHid(const std::string& folder) {
    std::string events = HidDevices();
    InputReport(events, std::string("\x20\x00\x0D\x03\x00", 5));     // key 3 pressed
    InputReport(events, std::string("\x20\x00\x0D\x03\x01", 5));     // and released
    InputReport(events, std::string("\x01\x00\x00\x04", 4));         // a report of another kind
    InputReport(events, std::string("\x20\x00\x02\x04\x00\xEE", 6));  // profile 4, a byte more
    InputReport(events, std::string("\x20\x00\x00\x05\x00", 5));     // idle
    events.push_back(static_cast<char>(hid::kStepReadTimesOut));
    events.push_back(static_cast<char>(hid::kStepReadFails));
    events.push_back(static_cast<char>(hid::kStepHotplug));
    InputReport(events, std::string("\x20\x00\xFF\xAA\x01", 5));  // Pact key M1 released
    FeatureRead(events, 6, BuildFirmwareReport(115));
    FeatureRead(events, 2083, BuildMacroReport({0, 4}, SampleMacro()));
    FeatureRead(events, 41, ReportBytes{0x08, 0x29});  // a short answer
    return ReplaceFileAtomically(folder + "events.bin", events);
}

// ---- messages ----

WindowMessage Message(MessageKind kind, std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam) {
    WindowMessage m;
    m.kind = kind;
    m.msg = msg;
    m.wParam = wParam;
    m.lParam = lParam;
    return m;
}

std::string DisplayBlock(std::string_view text) {
    std::string block(151, '\0');
    block.replace(1, text.size(), text);
    return block;
}

bool WriteMessages(const std::string& folder) {
    WindowMessage display = Message(MessageKind::CopyData, WM_COPYDATA, 0, 0);
    display.data = DisplayBlock("Profile 2: Race night");
    WindowMessage other = Message(MessageKind::CopyData, WM_COPYDATA, 0x10, 0);
    other.dwData = 7;
    other.data = "not a display text";
    std::string stream(1, static_cast<char>(messages::kStream));
    stream += EncodeFrame(Message(MessageKind::Post, 1254, 0, 0));
    stream += EncodeFrame(Message(MessageKind::Send, 1224, 1, -1));
    stream += EncodeFrame(display);
    stream += EncodeFrame(other);
    stream += EncodeFrame(Message(MessageKind::Send, 0x0111, 6001, 0)).substr(0, 30);  // still arriving

    std::string malformed(1, static_cast<char>(messages::kStream));
    malformed += EncodeFrame(Message(MessageKind::Post, WM_CLOSE, 0, 0));
    std::string bad = EncodeFrame(Message(MessageKind::Post, 1226, 0, 0));
    bad[12] = 1;  // the zero field
    malformed += bad;

    std::string block(1, static_cast<char>(messages::kCopyDataBlock));
    Le16(block, 0);
    Le16(block, 0);
    block += DisplayBlock(std::string(150, 'x'));  // no terminator at all
    return ReplaceFileAtomically(folder + "stream.bin", stream) &&
           ReplaceFileAtomically(folder + "malformed.bin", malformed) &&
           ReplaceFileAtomically(folder + "copydata.bin", block);
}

// ---- KelmEmu's wire ----

void Write(std::string& out, const ReportBytes& report, std::uint8_t tenths = 0) {
    out.push_back(static_cast<char>(emuwire::Request(emuwire::kWrite, tenths)));
    AppendText(out, Chars(report));
}

void Read(std::string& out, ReportId id, std::uint16_t length, std::uint8_t tenths = 0) {
    out.push_back(static_cast<char>(emuwire::Request(emuwire::kRead, tenths)));
    out.push_back(static_cast<char>(id));
    Le16(out, length);
}

void Ctl(std::string& out, const std::vector<std::string>& words, std::uint8_t tenths = 0) {
    out.push_back(static_cast<char>(emuwire::Request(emuwire::kControl, tenths)));
    AppendText(out, emu::JoinWords(words));
}

bool WriteEmuWire(const std::string& folder) {
    using emu::EncodeFrame;
    using emu::FrameKind;
    const auto profile = SampleProfile();
    const KeyGroup& hotGrid = kKeyGroups[1];

    std::string stream(1, static_cast<char>(emuwire::kStream));
    stream += EncodeFrame(FrameKind::OpenFeature, "");
    stream += EncodeFrame(FrameKind::SetFeature, Chars(BuildControlSelect(2, hotGrid.selectCode)));
    stream += EncodeFrame(FrameKind::GetFeature, emu::EncodeGetRequest(0x04, 3));
    stream += EncodeFrame(FrameKind::SetFeature, Chars(BuildKeyGroupReport(hotGrid, KeyGroupFromProfile(hotGrid, 2, *profile))));
    stream += EncodeFrame(FrameKind::GetFeature, emu::EncodeGetRequest(static_cast<std::uint8_t>(hotGrid.id), 65));
    stream += EncodeFrame(FrameKind::Control, emu::JoinWords({"press", "13"}));
    stream += EncodeFrame(FrameKind::Subscribe, "");
    stream += EncodeFrame(FrameKind::Control, emu::JoinWords({"log"})).substr(0, 14);  // still arriving

    std::string requests(1, static_cast<char>(emuwire::kRequests));
    Write(requests, BuildMacroReport({1, 4}, profile->Keys[4]));
    Write(requests, BuildKeyGroupReport(kKeyGroups[4], KeyGroupFromProfile(kKeyGroups[4], 1, *profile)));
    Write(requests, BuildProfileReport(1));
    Ctl(requests, {"press", "5"});
    Ctl(requests, {"release", "0x5"});
    Ctl(requests, {"busy", "2", "300"});
    Write(requests, BuildLightReport({1, 2, 0, 30}));
    Read(requests, ReportId::ControlReport, 3, 1);
    Read(requests, ReportId::ControlReport, 3, 4);
    Write(requests, BuildControlSelect(1, 4));
    Ctl(requests, {"fault", "checksum", "1"});
    Read(requests, ReportId::MacroReport, 2083);
    Read(requests, ReportId::MacroReport, 64);
    Ctl(requests, {"record", "3", "7", "0x04:1:50", "4:2:0"});
    Ctl(requests, {"record", "1"});
    Ctl(requests, {"event", "0x0E00", "261"});
    Ctl(requests, {"profile", "3"});
    Ctl(requests, {"brightness", "6"});
    Ctl(requests, {"firmware", "120"});
    Ctl(requests, {"fault", "unplug-after", "2"});
    Read(requests, ReportId::FirmwareReport, 6);
    Read(requests, ReportId::SyncStampReport, 20);
    Ctl(requests, {"plug"});
    Write(requests, BuildResetReport());
    Write(requests, ReportBytes{0x07, 0x06, 0x09, 0x3F, 0x55, 0x00});  // a profile the keyboard lacks
    Ctl(requests, {"fault", "busy", "forever"});
    Ctl(requests, {"fault", "clear"});
    Ctl(requests, {"log"});
    Ctl(requests, {"dump"});

    // A firmware update of 3 blocks with its status reads, one refused block
    // and a repeat on the way; then the boot loader's answers.
    std::string update(1, static_cast<char>(emuwire::kRequests));
    const std::vector<std::uint8_t> image = MakeTestImage(2049, 120);
    const auto status = [&update] { Read(update, static_cast<ReportId>(kUpdateStatusReportId), 3); };
    Ctl(update, {"fault", "repeat", "1"});
    Write(update, BuildStartCommand(kDefaultUpdateSignatures));
    status();
    Write(update, BuildStartCommand(kDefaultUpdateSignatures));
    status();
    Write(update, BuildImageSizeCommand(2049, kDefaultUpdateSignatures));
    status();
    Write(update, BuildPrepareCommand());
    status();
    Ctl(update, {"fault", "block-fail", "2"});
    for (std::uint16_t n = 0; n < 3; ++n) {
        std::vector<std::uint8_t> block(kFirmwareBlockSize, 0);
        std::copy(image.begin() + n * 1024, image.begin() + std::min<std::size_t>(image.size(), n * 1024 + 1024),
                  block.begin());
        Write(update, BuildBlockHeaderCommand(n, BlockChecksum(block), kDefaultUpdateSignatures));
        status();
        Write(update, BuildBlockDataCommand(block));
        status();
    }
    Write(update, BuildFinishCommand());
    status();
    Read(update, ReportId::FirmwareReport, 6);
    Read(update, ReportId::ProfileReport, 3);
    Ctl(update, {"press", "5"});
    Ctl(update, {"dump"});

    std::string framed(1, static_cast<char>(emuwire::kRequests));
    framed.push_back(static_cast<char>(emuwire::Request(emuwire::kWriteFramed, 0)));
    AppendText(framed, Chars(BuildMacroReport({0, 2}, SampleMacro())).substr(0, 100));
    Read(framed, ReportId::MacroReport, 2083);
    return ReplaceFileAtomically(folder + "stream.bin", stream) &&
           ReplaceFileAtomically(folder + "requests.bin", requests) &&
           ReplaceFileAtomically(folder + "update.bin", update) &&
           ReplaceFileAtomically(folder + "framed.bin", framed);
}

}  // namespace

bool WriteBoundarySeeds(const std::string& folder) {
    for (const char* target : {"reports", "hid", "messages", "emuwire"}) MakeFolders(folder + target);
    const bool reports = WriteReports(folder + "reports/");
    const bool hid = WriteHid(folder + "hid/");
    const bool messages = WriteMessages(folder + "messages/");
    return WriteEmuWire(folder + "emuwire/") && reports && hid && messages;
}

}  // namespace kelm::fuzz
