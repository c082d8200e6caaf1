// The keyboard's feature reports as they come from outside: the keyboard's
// answers to the monitor, and the writes a host makes to the software
// keyboard. Byte 0 of the input picks what the rest is (InputReader.h):
// one report given to every parser, as it came or with its length and
// checksum put right so that mutations reach the content; or the answers
// of a keyboard to the monitor's read-back, recorded-macro read and stamp
// check, one read after the other.
//
// A parser accepts exactly a well-framed report of its id; it fills only
// the fields its report carries and keeps every text terminated inside its
// field; what it accepted builds back into the same report, except for the
// bytes the report does not carry (which the builder writes as zero or as
// their fixed value).
#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "fuzz/InputReader.h"
#include "keyboard/KeyboardProtocol.h"
#include "keyboard/Reports.h"
#include "keyboard/SettingsReports.h"
#include "settings/Defaults.h"
#include "settings/Text.h"

namespace {

using namespace kelm;
using kelm::fuzz::InputReader;
using kelm::fuzz::Terminated;
using Bytes = ReportBytes;

// The layouts as the keyboard's documentation gives them, written down apart
// from the report table so that each is checked against the other.
struct Layout {
    std::uint8_t id;
    std::size_t length;
    bool checksum;
};
constexpr std::array<Layout, 16> kLayouts{{
    {0x04, 3, false},  {0x05, 3, false},  {0x07, 6, true},  {0x08, 41, true}, {0x09, 65, true}, {0x0A, 29, true},
    {0x0B, 23, true},  {0x0D, 35, true},  {0x0E, 2083, true}, {0x0F, 6, false}, {0x10, 10, true}, {0x11, 3, false},
    {0x13, 6, true},   {0x14, 20, true},  {0x15, 3, false}, {0x16, 16, false},
}};

constexpr std::size_t kNameBytes = 24;
constexpr std::array<std::size_t, 3> kNameOffsets = {7, 31, 55};
constexpr std::size_t kCountOffset = 79;
constexpr std::size_t kEventsOffset = 81;

const Layout* FindLayout(std::uint8_t id) {
    for (const Layout& layout : kLayouts)
        if (layout.id == id) return &layout;
    return nullptr;
}

std::uint16_t Sum(ReportView bytes) {
    unsigned sum = 0;
    for (std::uint8_t b : bytes) sum += b;
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

void Seal(std::span<std::uint8_t> report) {
    const std::size_t n = report.size() - 2;
    const std::uint16_t sum = Sum(report.first(n));
    report[n] = static_cast<std::uint8_t>(sum & 0xFF);
    report[n + 1] = static_cast<std::uint8_t>(sum >> 8);
}

bool WellFramed(ReportView r, std::uint8_t id) {
    const Layout& layout = *FindLayout(id);
    if (r.size() != layout.length || r[0] != id) return false;
    if (!layout.checksum) return true;
    const std::size_t n = r.size() - 2;
    return Sum(r.first(n)) == (r[n] | (r[n + 1] << 8));
}

bool HasId(ReportView r, ReportId id) { return !r.empty() && r[0] == static_cast<std::uint8_t>(id); }

// The text a 24-byte name of a MacroReport stands for: up to its first zero
// byte, trailing blanks dropped.
std::size_t NameLength(const std::uint8_t* at) {
    std::size_t n = 0;
    while (n < kNameBytes && at[n] != 0) ++n;
    while (n > 0 && at[n - 1] == ' ') --n;
    return n;
}

std::size_t MacroEventCount(ReportView r) {
    return std::min<std::size_t>(r[kCountOffset] | (r[kCountOffset + 1] << 8), kMaxEvents);
}

// What a builder makes of what the parser took from a well-framed r: its
// declared length in place, the bytes it does not carry as the builder
// writes them, the checksum made right.
Bytes Rebuilt(ReportView r) {
    Bytes c(r.begin(), r.end());
    const auto zero = [&c](std::size_t from, std::size_t to) {
        std::fill(c.begin() + static_cast<std::ptrdiff_t>(from), c.begin() + static_cast<std::ptrdiff_t>(to), 0);
    };
    switch (c[0]) {
        case 0x0E: {
            c[1] = 0x23;
            c[2] = 0x08;
            c[5] = kFnMacro;
            for (std::size_t at : kNameOffsets) zero(at + NameLength(&c[at]), at + kNameBytes);
            const std::size_t count = MacroEventCount(c);
            c[kCountOffset] = static_cast<std::uint8_t>(count & 0xFF);
            c[kCountOffset + 1] = static_cast<std::uint8_t>(count >> 8);
            zero(kEventsOffset + count * sizeof(MacroEvent), c.size() - 2);
            break;
        }
        case 0x0F:
            c[1] = 6;
            zero(3, 6);
            break;
        case 0x10:
            c[1] = 10;
            c[3] = 0x03;
            c[4] = 0;
            break;
        case 0x16:
            c[1] = 16;
            zero(4, 16);
            break;
        default:
            c[1] = static_cast<std::uint8_t>(c.size());
            break;
    }
    if (FindLayout(c[0])->checksum) Seal(c);
    return c;
}

// ---- a profile to parse into ----

// Filled with a pattern, so that a parser writing where it should not shows
// as a changed byte, and one that leaves a text unterminated shows too.
constexpr unsigned char kPattern = 0xA5;

struct ProfilePair {
    std::unique_ptr<ProfileRecord> before = std::make_unique<ProfileRecord>();
    std::unique_ptr<ProfileRecord> after = std::make_unique<ProfileRecord>();
    void Reset() {
        std::memset(before.get(), kPattern, sizeof *before);
        std::memset(after.get(), kPattern, sizeof *after);
    }
};

ProfilePair& Scratch() {
    static ProfilePair pair;
    return pair;
}

bool SameBytes(const void* a, const void* b, std::size_t size) { return std::memcmp(a, b, size) == 0; }

// ---- one parser each ----

void CheckControl(ReportView r) {
    const bool framed = WellFramed(r, 0x04);
    const auto select = ParseControlSelect(r);
    const auto status = ParseControlStatus(r);
    FUZZ_CHECK(select.has_value() == framed && status.has_value() == framed);
    if (!framed) return;
    FUZZ_CHECK(BuildControlSelect(select->profile, select->selectCode) == Bytes(r.begin(), r.end()));
    FUZZ_CHECK(BuildControlStatus(*status) == (Bytes{0x04, r[1], 0}));
}

void CheckOneByteReports(ReportView r) {
    const auto profile = ParseProfileReport(r);
    FUZZ_CHECK(profile.has_value() == WellFramed(r, 0x05));
    if (profile) FUZZ_CHECK(*profile == r[2] && BuildProfileReport(*profile) == Rebuilt(r));
    const auto firmware = ParseFirmwareReport(r);
    FUZZ_CHECK(firmware.has_value() == WellFramed(r, 0x0F));
    if (firmware) FUZZ_CHECK(*firmware == r[2] && BuildFirmwareReport(*firmware) == Rebuilt(r));
    const auto host = ParseHostStateReport(r);
    FUZZ_CHECK(host.has_value() == WellFramed(r, 0x15));
    if (host) FUZZ_CHECK(*host == r[2] && BuildHostStateReport(*host) == Rebuilt(r));
    const bool reset = IsResetReport(r);
    FUZZ_CHECK(reset == (WellFramed(r, 0x11) && r[2] == 0x04));
    if (reset) FUZZ_CHECK(BuildResetReport() == Rebuilt(r));
    const auto relay = ParsePactRelayReport(r);
    FUZZ_CHECK(relay.has_value() == WellFramed(r, 0x16));
    if (relay) {
        FUZZ_CHECK(relay->duoLayerState == r[2] && relay->duoLayerLock == r[3]);
        FUZZ_CHECK(BuildPactRelayReport(*relay) == Rebuilt(r));
    }
    const auto stamp = ParseSyncStampReport(r);
    FUZZ_CHECK(stamp.has_value() == WellFramed(r, 0x14));
    if (stamp) {
        FUZZ_CHECK(std::equal(stamp->begin(), stamp->end(), r.begin() + 2));
        FUZZ_CHECK(BuildSyncStampReport(*stamp) == Rebuilt(r));
    }
}

void CheckModifyKey(ReportView r) {
    const bool framed = WellFramed(r, 0x07);
    const auto data = ParseModifyKeyReport(r);
    FUZZ_CHECK(data.has_value() == framed);
    if (!HasId(r, ReportId::ModifyKeyReport)) return;
    ProfilePair& p = Scratch();
    p.Reset();
    FUZZ_CHECK(ApplySettingsReport(ReportId::ModifyKeyReport, r, *p.after) == framed);
    if (framed) {
        FUZZ_CHECK(data->profile == r[2] && data->mask == r[3]);
        FUZZ_CHECK(BuildModifyKeyReport(*data) == Rebuilt(r));
        for (int i = 0; i < 6; ++i) p.before->ModifyKey[i] = (r[3] >> i) & 1;
        // Bits 6 and 7 stand for nothing, so they do not come back.
        Bytes back = Rebuilt(r);
        back[3] &= 0x3F;
        Seal(back);
        FUZZ_CHECK(BuildSettingsReport(ReportId::ModifyKeyReport, r[2], *p.after) == back);
    }
    FUZZ_CHECK(SameBytes(p.before.get(), p.after.get(), sizeof(ProfileRecord)));
}

void CheckLight(ReportView r) {
    const bool framed = WellFramed(r, 0x10);
    const auto data = ParseLightReport(r);
    FUZZ_CHECK(data.has_value() == framed);
    if (!HasId(r, ReportId::LightReport)) return;
    ProfilePair& p = Scratch();
    p.Reset();
    FUZZ_CHECK(ApplySettingsReport(ReportId::LightReport, r, *p.after) == framed);
    if (framed) {
        FUZZ_CHECK(data->profile == r[2] && data->brightness == r[5] && data->dimmer == r[6] && data->timeout == r[7]);
        FUZZ_CHECK(BuildLightReport(*data) == Rebuilt(r));
        p.before->LtBrightness = r[5];
        p.before->DimmerOption = r[6];
        p.before->LtTimeout = r[7];
        FUZZ_CHECK(BuildSettingsReport(ReportId::LightReport, r[2], *p.after) == Rebuilt(r));
    }
    FUZZ_CHECK(SameBytes(p.before.get(), p.after.get(), sizeof(ProfileRecord)));
}

void CheckKeyGroup(const KeyGroup& group, ReportView r) {
    const auto id = static_cast<std::uint8_t>(group.id);
    const bool framed = WellFramed(r, id);
    const auto data = ParseKeyGroupReport(group, r);
    FUZZ_CHECK(data.has_value() == framed);
    if (!HasId(r, group.id)) return;
    ProfilePair& p = Scratch();
    p.Reset();
    FUZZ_CHECK(ApplySettingsReport(group.id, r, *p.after) == framed);
    if (!framed) {
        FUZZ_CHECK(SameBytes(p.before.get(), p.after.get(), sizeof(ProfileRecord)));
        return;
    }
    const auto n = static_cast<std::size_t>(group.count);
    FUZZ_CHECK(data->profile == r[2]);
    FUZZ_CHECK(BuildKeyGroupReport(group, *data) == Rebuilt(r));
    // Built back from the profile, a key read as its standard function goes
    // out as its standard code (also when the keyboard sent 0xEF), and only a
    // shortcut keeps its parameters.
    Bytes back = Rebuilt(r);
    for (std::size_t i = 0; i < kMaxGroupKeys; ++i) {
        if (i >= n) {
            FUZZ_CHECK(data->keys[i] == KeyWire{});
            continue;
        }
        const KeyWire wire{r[3 + i], group.parameters ? r[3 + n + i] : std::uint8_t{0},
                           group.parameters ? r[3 + 2 * n + i] : std::uint8_t{0}};
        FUZZ_CHECK(data->keys[i] == wire);
        const int key = group.firstKey + static_cast<int>(i);
        const std::uint8_t standard = StandardCodeTable[static_cast<std::size_t>(key)];
        MacroKeyInfo& expected = p.before->Keys[key];
        expected.FunctionCode = wire.code == standard ? kFnStandard : wire.code;
        if (expected.FunctionCode == kFnShortcut) {
            expected.Events[0].Action = wire.first;
            expected.Events[0].KeyCode = wire.second;
            expected.EventCount = 1;
            std::memset(expected.KeyLabel, 0, sizeof expected.KeyLabel);
            std::memset(expected.MacroSetName, 0, sizeof expected.MacroSetName);
            std::memset(expected.MacroName, 0, sizeof expected.MacroName);
        }
        if (wire.code == kFnStandard) back[3 + i] = standard;
        if (group.parameters && back[3 + i] != kFnShortcut) back[3 + n + i] = back[3 + 2 * n + i] = 0;
    }
    Seal(back);
    FUZZ_CHECK(SameBytes(p.before.get(), p.after.get(), sizeof(ProfileRecord)));
    FUZZ_CHECK(BuildSettingsReport(group.id, r[2], *p.after) == back);
}

void CheckMacro(ReportView r) {
    const bool framed = WellFramed(r, 0x0E);
    if (!HasId(r, ReportId::MacroReport)) {
        MacroKeyInfo entry{};
        FUZZ_CHECK(!ParseMacroReport(r, entry).has_value());
        return;
    }
    ProfilePair& p = Scratch();
    p.Reset();
    MacroKeyInfo& entry = p.after->Keys[0];
    MacroKeyInfo& expected = p.before->Keys[0];
    const auto address = ParseMacroReport(r, entry);
    FUZZ_CHECK(address.has_value() == framed);
    if (framed) {
        FUZZ_CHECK(address->profile == r[3] && address->keyIndex == r[4]);
        expected.KeyIndex = r[4];
        expected.FunctionCode = kFnMacro;
        expected.MacroOption = r[6];
        char* names[] = {expected.KeyLabel, expected.MacroSetName, expected.MacroName};
        for (std::size_t i = 0; i < kNameOffsets.size(); ++i) {
            const std::uint8_t* at = &r[kNameOffsets[i]];
            std::memset(names[i], 0, sizeof expected.KeyLabel);
            std::memcpy(names[i], at, NameLength(at));
        }
        const std::size_t count = MacroEventCount(r);
        expected.EventCount = static_cast<std::uint16_t>(count);
        std::memset(expected.Events, 0, sizeof expected.Events);
        std::memcpy(expected.Events, &r[kEventsOffset], count * sizeof(MacroEvent));
        FUZZ_CHECK(Terminated(entry.KeyLabel) && Terminated(entry.MacroSetName) && Terminated(entry.MacroName));
    }
    // Every byte as expected: nothing written past a field, and the fields
    // the report does not carry (target, timer, quick launch) untouched.
    FUZZ_CHECK(SameBytes(p.before.get(), p.after.get(), sizeof(ProfileRecord)));
    if (!framed) return;
    const Bytes built = BuildMacroReport(*address, entry);
    FUZZ_CHECK(built == Rebuilt(r));
    // What was built parses into the same entry.
    MacroKeyInfo& again = p.before->Keys[1];
    FUZZ_CHECK(ParseMacroReport(built, again).has_value());
    FUZZ_CHECK(SameBytes(&again, &entry, sizeof entry));
}

void CheckFraming(ReportView r) {
    const Layout* layout = r.empty() ? nullptr : FindLayout(r[0]);
    const ReportInfo* info = r.empty() ? nullptr : FindReportInfo(r[0]);
    FUZZ_CHECK((layout == nullptr) == (info == nullptr));
    if (layout != nullptr) FUZZ_CHECK(info->length == layout->length && info->checksum == layout->checksum);
    const std::size_t declared = DeclaredLength(r);
    if (HasId(r, ReportId::MacroReport))
        FUZZ_CHECK(declared == (r.size() < 3 ? 0u : static_cast<std::size_t>(r[1] | (r[2] << 8))));
    else
        FUZZ_CHECK(declared == (r.size() < 2 ? 0u : r[1]));
    if (r.size() >= 2) FUZZ_CHECK(ChecksumValid(r) == (Sum(r.first(r.size() - 2)) == (r[r.size() - 2] | (r[r.size() - 1] << 8))));
}

void CheckEveryParser(ReportView r) {
    CheckFraming(r);
    CheckControl(r);
    CheckOneByteReports(r);
    CheckModifyKey(r);
    CheckLight(r);
    for (const KeyGroup& group : kKeyGroups) CheckKeyGroup(group, r);
    CheckMacro(r);
}

// ---- the monitor's sequences against a keyboard answering from the input ----

class ScriptedKeyboard final : public IFeatureDevice {
public:
    explicit ScriptedKeyboard(InputReader& input) : input_(input) {}

    bool SetFeature(std::span<const std::uint8_t> report) override {
        const Layout* layout = report.empty() ? nullptr : FindLayout(report[0]);
        FUZZ_CHECK(layout != nullptr && (report[0] == 0x04 || report.size() == layout->length));
        return true;
    }

    bool GetFeature(std::span<std::uint8_t> buffer) override {
        const Layout* layout = buffer.empty() ? nullptr : FindLayout(buffer[0]);
        FUZZ_CHECK(layout != nullptr && buffer.size() == layout->length);
        if (input_.Empty()) return false;
        const std::uint8_t how = input_.Byte() % fuzz::reports::kAnswerKinds;
        if (how == fuzz::reports::kAnswerFails) return false;
        // The device library zero-fills what the keyboard did not send.
        std::fill(buffer.begin() + 1, buffer.end(), 0);
        const std::size_t from = how == fuzz::reports::kAnswerRaw ? 0 : 1;
        const std::string text = input_.Text(buffer.size() - from);
        std::memcpy(buffer.data() + from, text.data(), text.size());
        if (how == fuzz::reports::kAnswerRaw) return true;
        if (how == fuzz::reports::kAnswerAfterLength) {
            if (buffer[0] == 0x0E) {
                buffer[1] = static_cast<std::uint8_t>(buffer.size() & 0xFF);
                buffer[2] = static_cast<std::uint8_t>(buffer.size() >> 8);
            } else if (buffer[0] != 0x04) {
                buffer[1] = static_cast<std::uint8_t>(buffer.size());
            }
        }
        if (layout->checksum) Seal(buffer);
        return true;
    }

private:
    InputReader& input_;
};

class MemoryFiles final : public ISettingsFiles {
public:
    void StoreFirmwareVersion(int version) override {
        FUZZ_CHECK(version >= 0 && version <= 255);
    }
    bool LoadSyncStamp(SyncStamp& stamp) override {
        stamp = stored;
        return true;
    }
    void StoreSyncStamp(const SyncStamp& stamp) override { stored = stamp; }
    bool SaveRecord(const SettingsRecord&) override { return true; }

    SyncStamp stored = MakeSyncStamp(1'700'000'000);
};

// The record the monitor starts from: factory profiles with a macro, a timer
// and a quick launch entry, so that fields no report carries hold something
// to lose.
const SettingsRecord& StartRecord() {
    static const std::unique_ptr<SettingsRecord> record = [] {
        auto r = std::make_unique<SettingsRecord>();
        std::memset(r.get(), 0, sizeof *r);
        DefaultSettings(*r);
        for (ProfileRecord& profile : r->Profiles) {
            MacroKeyInfo& macro = profile.Keys[3];
            macro.FunctionCode = kFnMacro;
            CopyField(macro.MacroName, "Greeting");
            macro.EventCount = 2;
            macro.Events[0] = {0x04, kActionPress, 30};
            macro.Events[1] = {0x04, kActionRelease, 0};
            MacroKeyInfo& timer = profile.Keys[31];
            timer.FunctionCode = kFnTimer;
            timer.TimerSeconds = 90;
            CopyField(timer.TimerName, "Tea");
            CopyField(profile.Keys[40].QuickLaunchPath, "/usr/bin/true");
            profile.Keys[40].TargetDevice = 7;
        }
        return r;
    }();
    return *record;
}

void CheckRecordAfterSequences(const SettingsRecord& start, const SettingsRecord& record) {
    FUZZ_CHECK(IsValidSlot(record.CurrentProfile));
    for (int p = 0; p < kProfileCount; ++p) {
        const ProfileRecord& was = start.Profiles[p];
        const ProfileRecord& now = record.Profiles[p];
        // Only illumination and the modifier switches come from the keyboard.
        FUZZ_CHECK(SameBytes(&was, &now, offsetof(ProfileRecord, LtBrightness)));
        FUZZ_CHECK(SameBytes(&was.SoundProfile, &now.SoundProfile,
                             offsetof(ProfileRecord, Keys) - offsetof(ProfileRecord, SoundProfile)));
        for (const std::int32_t modify : now.ModifyKey) FUZZ_CHECK(modify == 0 || modify == 1);
        FUZZ_CHECK(SameBytes(&was.Keys[kKeyCount - 1], &now.Keys[kKeyCount - 1], sizeof(MacroKeyInfo)));
        for (int k = 0; k < kKeyCount; ++k) {
            const MacroKeyInfo& before = was.Keys[k];
            const MacroKeyInfo& key = now.Keys[k];
            FUZZ_CHECK(key.KeyIndex == k);
            FUZZ_CHECK(key.EventCount <= kMaxEvents);
            FUZZ_CHECK(Terminated(key.KeyLabel) && Terminated(key.MacroSetName) && Terminated(key.MacroName));
            FUZZ_CHECK(key.TargetDevice == before.TargetDevice && key.TimerSeconds == before.TimerSeconds);
            FUZZ_CHECK(SameBytes(key.TimerName, before.TimerName, sizeof key.TimerName));
            FUZZ_CHECK(SameBytes(key.QuickLaunchPath, before.QuickLaunchPath, sizeof key.QuickLaunchPath));
            if (k >= kMacroCapableKeys) FUZZ_CHECK(key.MacroOption == before.MacroOption);
        }
    }
}

void RunSequences(InputReader& input) {
    static const std::unique_ptr<SettingsRecord> record = std::make_unique<SettingsRecord>();
    const SettingsRecord& start = StartRecord();
    std::memcpy(record.get(), &start, sizeof start);
    const std::uint8_t recordedKey = input.Byte();
    ScriptedKeyboard keyboard(input);
    MemoryFiles files;
    VirtualClock clock;
    const std::atomic<bool> abortRequested{false};
    KeyboardProtocol protocol(keyboard, clock, abortRequested, *record, {files});
    protocol.CheckSyncStamp();
    protocol.ReadAllFromKeyboard();
    protocol.HandleMacroRecordStage(static_cast<std::uint16_t>(0x0300 | recordedKey));
    CheckRecordAfterSequences(start, *record);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputReader input(data, size);
    const std::uint8_t mode = input.Byte() % fuzz::reports::kModes;
    if (mode == fuzz::reports::kSequences) {
        RunSequences(input);
        return 0;
    }
    const std::string_view rest = input.Rest();
    Bytes report(rest.begin(), rest.end());
    if (mode == fuzz::reports::kFramedReport && !report.empty()) {
        if (const Layout* layout = FindLayout(report[0])) {
            report.resize(layout->length, 0);
            if (layout->checksum) Seal(report);
        }
    }
    CheckEveryParser(report);
    return 0;
}
