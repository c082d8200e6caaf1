// KelmEmu's socket boundary: what a client sends is cut into frames and
// carried out on the software keyboard, as KelmEmu's server does it:
// feature writes and reads, and `KelmEmu ctl` commands. The keyboard lives
// in memory on a virtual clock; no state file is kept and no socket is
// made, and any file call at all fails the run. Byte 0 of the input picks a
// raw client stream or a list of requests (InputReader.h).
//
// Frames come out the same however the stream is cut, re-encode into the
// bytes they came from, and a broken frame ends the stream for good. The
// keyboard keeps its memory within its limits whatever it is sent; its
// answers are reports the host's own parsers accept; a ctl command takes
// numbers only as decimal or 0x hex and does exactly what its words say.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/EmuControl.h"
#include "emulator/EmuKeyboard.h"
#include "emulator/EmuWire.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/InputReader.h"
#include "keyboard/FirmwareUpdate.h"
#include "keyboard/Reports.h"
#include "platform/SysCalls.h"

namespace {

using namespace kelm;
using namespace kelm::emu;
using kelm::fuzz::InputReader;
using kelm::fuzz::Terminated;
namespace format = kelm::fuzz::emuwire;

constexpr std::size_t kMaxRequests = 64;
constexpr std::size_t kMaxText = 4096;

// The software keyboard has no business with files: a state file is only
// kept by KelmEmu's main program, never by the keyboard or its commands.
class NoFiles final : public SysCalls {
public:
    int Open(const char*, int, mode_t) override { Touched(); }
    ssize_t Read(int, void*, std::size_t) override { Touched(); }
    ssize_t Write(int, const void*, std::size_t) override { Touched(); }
    int Fsync(int) override { Touched(); }
    int Fchmod(int, mode_t) override { Touched(); }
    int Close(int) override { Touched(); }
    int Rename(const char*, const char*) override { Touched(); }
    int Unlink(const char*) override { Touched(); }
    int MkTemp(char*) override { Touched(); }

private:
    [[noreturn]] static void Touched() { fuzz::Fail("the software keyboard touched a file", __FILE__, __LINE__); }
};

class VirtualTime final : public EmuClock {
public:
    std::int64_t NowMs() const override { return now; }
    std::int64_t now = 1000;
};

// ---- a ctl command, judged by what its words say ----

// A number as the commands document it: decimal digits, or 0x and hex digits.
std::optional<long> DocumentedNumber(std::string_view word, long low, long high) {
    int base = 10;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        word.remove_prefix(2);
        base = 16;
    }
    if (word.empty() || word.size() > 12) return std::nullopt;
    long value = 0;
    for (char c : word) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return std::nullopt;
        value = value * base + digit;
    }
    if (value < low || value > high) return std::nullopt;
    return value;
}

std::optional<MacroEvent> DocumentedEvent(std::string_view word) {
    const std::size_t first = word.find(':');
    const std::size_t second = first == std::string_view::npos ? first : word.find(':', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const auto key = DocumentedNumber(word.substr(0, first), 0, 255);
    const auto action = DocumentedNumber(word.substr(first + 1, second - first - 1), 0, 255);
    const auto delay = DocumentedNumber(word.substr(second + 1), 0, 65535);
    if (!key || !action || !delay) return std::nullopt;
    return MacroEvent{static_cast<std::uint8_t>(*key), static_cast<std::uint8_t>(*action),
                      static_cast<std::uint16_t>(*delay)};
}

bool LastEventIs(const std::vector<Notification>& notes, long type, long data) {
    return !notes.empty() && notes.back().kind == Notification::Kind::Event && notes.back().type == type &&
           notes.back().data == data;
}

// Commands whose effect can be seen from outside: the result and the effect
// must follow from the words as documented. Other commands only keep the
// keyboard's limits (checked after every request).
// keysWorked: the keyboard was plugged in and out of its update mode, so the
// user's keys and changes could take effect.
void CheckControl(const std::vector<std::string>& words, bool keysWorked, const ActionResult& result,
                  EmuKeyboard& keyboard, const std::vector<Notification>& notes, bool& dumpRead) {
    if (words.empty()) {
        FUZZ_CHECK(!result.ok);
        return;
    }
    const std::string& command = words[0];
    const std::size_t n = words.size();
    const auto arg = [&](std::size_t i, long low, long high) {
        return i < n ? DocumentedNumber(words[i], low, high) : std::nullopt;
    };
    const KeyboardMemory& memory = keyboard.Memory();
    if (command == "firmware") {
        const auto version = n == 2 ? arg(1, 0, 255) : std::nullopt;
        FUZZ_CHECK(result.ok == version.has_value());
        if (version) FUZZ_CHECK(memory.FWVersion == *version);
    } else if (command == "profile") {
        const auto profile = n == 2 ? arg(1, 1, 5) : std::nullopt;
        FUZZ_CHECK(result.ok == (profile.has_value() && keysWorked));
        if (result.ok) FUZZ_CHECK(memory.CurrentProfile == *profile - 1 && LastEventIs(notes, EVT_PROFILE, *profile));
    } else if (command == "brightness") {
        const auto level = n == 2 ? arg(1, 1, 6) : std::nullopt;
        FUZZ_CHECK(result.ok == (level.has_value() && keysWorked));
        if (result.ok)
            FUZZ_CHECK(memory.Profiles[static_cast<std::size_t>(memory.CurrentProfile)].LtBrightness == *level - 1 &&
                       LastEventIs(notes, EVT_BRIGHTNESS, *level));
    } else if (command == "press" || command == "release") {
        const auto key = n == 2 ? arg(1, 1, kKeyCount) : std::nullopt;
        FUZZ_CHECK(result.ok == (key.has_value() && keysWorked));
    } else if (command == "event") {
        const auto type = n == 3 ? arg(1, 0, 0xFFFF) : std::nullopt;
        const auto data = n == 3 ? arg(2, 0, 0xFFFF) : std::nullopt;
        FUZZ_CHECK(result.ok == (type && data && keysWorked));
        if (result.ok) FUZZ_CHECK(LastEventIs(notes, *type, *data));
    } else if (command == "fault" && n == 3 && words[1] != "unplug-after") {
        const std::string& kind = words[1];
        const bool forever = (kind == "busy" || kind == "repeat") && words[2] == "forever";
        const auto count = forever ? std::optional<long>(EmuFaults::kForever) : arg(2, 0, 1000000);
        const bool known = kind == "busy" || kind == "readfail" || kind == "checksum" || kind == "repeat" ||
                           (kind == "block-fail" && count && *count < 200) ||
                           (kind == "unplug-after-blocks" && count && *count >= 1);
        FUZZ_CHECK(result.ok == (known && count.has_value()));
        if (!result.ok) return;
        const EmuFaults& faults = keyboard.Faults();
        const std::optional<int> set = kind == "busy"         ? faults.BusyPolls()
                                       : kind == "readfail"   ? faults.ReadFailures()
                                       : kind == "checksum"   ? faults.ChecksumFaults()
                                       : kind == "repeat"     ? faults.Repeats()
                                       : kind == "block-fail" ? faults.FailingBlock()
                                                              : faults.UnplugBlockCountdown();
        FUZZ_CHECK(set == *count);
    } else if (command == "busy") {
        const auto polls = n == 2 || n == 3 ? arg(1, 0, 1000000) : std::nullopt;
        const auto ms = n == 3 ? arg(2, 0, 3600000) : std::optional<long>(0);
        FUZZ_CHECK(result.ok == (polls && ms));
    } else if (command == "record") {
        const auto stage = arg(1, 1, 5);
        const auto key = n > 2 ? arg(2, 0, 255) : std::optional<long>(0);
        std::vector<MacroEvent> events;
        bool eventsValid = true;
        for (std::size_t i = 3; i < n; ++i) {
            const auto event = DocumentedEvent(words[i]);
            eventsValid = eventsValid && event.has_value();
            if (event) events.push_back(*event);
        }
        const bool stored = stage == 3;
        const bool keyFits = !stored || (key && *key >= 1 && *key <= kMacroCapableKeys && events.size() <= kMaxEvents);
        FUZZ_CHECK(result.ok == (stage && key && eventsValid && (stored || events.empty()) && keysWorked && keyFits));
        if (!result.ok) return;
        FUZZ_CHECK(LastEventIs(notes, EVT_MACRO_RECORD, (*stage << 8) | *key));
        if (!stored) return;
        const MacroKeyInfo& entry =
            memory.Profiles[static_cast<std::size_t>(memory.CurrentProfile)].Keys[static_cast<std::size_t>(*key - 1)];
        FUZZ_CHECK(entry.FunctionCode == kFnMacro && std::size_t{entry.EventCount} == events.size());
        FUZZ_CHECK(events.empty() || std::memcmp(entry.Events, events.data(), events.size() * sizeof(MacroEvent)) == 0);
    } else if (command == "dump" && result.ok && !dumpRead) {
        // The dump is JSON that any reader takes, texts of any bytes included.
        // Reading it costs as much as the rest of a run: once per input.
        dumpRead = true;
        const auto dump = nlohmann::json::parse(result.text, nullptr, false);
        FUZZ_CHECK(!dump.is_discarded() && dump["Profiles"].size() == kProfileCount);
    }
}

// ---- the keyboard's answers, as the host reads them ----

bool HostAccepts(std::uint8_t id, const ReportBytes& answer) {
    switch (static_cast<ReportId>(id)) {
        case ReportId::ControlReport: {
            const auto status = ParseControlStatus(answer);
            return status && (*status == kStatusReady || *status == kStatusBusy || *status == kStatusRefused);
        }
        case ReportId::ProfileReport: {
            const auto profile = ParseProfileReport(answer);
            return profile && IsValidSlot(*profile);
        }
        case ReportId::ModifyKeyReport:
            return ParseModifyKeyReport(answer) && ParseModifyKeyReport(answer)->mask < 0x40;
        case ReportId::MacroReport: {
            MacroKeyInfo entry{};
            const auto address = ParseMacroReport(answer, entry);
            return address && IsValidSlot(address->profile) && address->keyIndex < kMacroCapableKeys;
        }
        case ReportId::FirmwareReport:
            return ParseFirmwareReport(answer).has_value();
        case ReportId::LightReport:
            return ParseLightReport(answer).has_value();
        case ReportId::SyncStampReport:
            return ParseSyncStampReport(answer).has_value();
        default:
            break;
    }
    const KeyGroup* group = FindKeyGroup(static_cast<ReportId>(id));
    return group != nullptr && ParseKeyGroupReport(*group, answer).has_value();
}

void CheckRead(EmuKeyboard& keyboard, std::uint8_t id, std::uint32_t bufferLength) {
    const bool pluggedBefore = keyboard.Plugged();
    const bool checksumFault = keyboard.Faults().ChecksumFaults() != 0;
    const bool readFault = keyboard.Faults().ReadFailures() != 0;
    const auto answer = keyboard.GetFeature(id, bufferLength);
    if (!answer) return;
    FUZZ_CHECK(pluggedBefore && !readFault && bufferLength > 0);
    if (id == kUpdateStatusReportId) {
        FUZZ_CHECK(answer->size() == std::min<std::size_t>(bufferLength, kUpdateStatusLength));
        FUZZ_CHECK(answer->front() == id);
        if (answer->size() > 1) FUZZ_CHECK((*answer)[1] >= kUpdateDone && (*answer)[1] <= kUpdateRepeat);
        return;
    }
    const ReportInfo* info = FindReportInfo(id);
    FUZZ_CHECK(info != nullptr && answer->size() == std::min<std::size_t>(bufferLength, info->length));
    FUZZ_CHECK(answer->front() == id);
    if (answer->size() == info->length && !(checksumFault && info->checksum)) FUZZ_CHECK(HostAccepts(id, *answer));
}

// ---- what the keyboard keeps ----

void CheckMemory(const KeyboardMemory& memory) {
    FUZZ_CHECK(IsValidSlot(memory.CurrentProfile));
    FUZZ_CHECK(memory.FWVersion >= 0 && memory.FWVersion <= 255);
    FUZZ_CHECK(memory.UpdateMode == 0 || memory.UpdateMode == 1);
    for (const ProfileRecord& profile : memory.Profiles) {
        FUZZ_CHECK(Terminated(profile.ProFileName) && Terminated(profile.GameFile0));
        for (const std::int32_t modify : profile.ModifyKey) FUZZ_CHECK(modify == 0 || modify == 1);
        for (int k = 0; k < kKeyCount; ++k) {
            const MacroKeyInfo& key = profile.Keys[k];
            FUZZ_CHECK(key.KeyIndex == k && key.EventCount <= kMaxEvents);
            FUZZ_CHECK(Terminated(key.KeyLabel) && Terminated(key.MacroSetName) && Terminated(key.MacroName));
            FUZZ_CHECK(Terminated(key.TimerName) && Terminated(key.QuickLaunchPath));
        }
    }
}

class Session {
public:
    Session() : keyboard_(clock_, FactoryMemory(kDefaultFirmware)) {}

    void Serve(const Frame& frame) {
        const bool pluggedBefore = keyboard_.Plugged();
        const bool keysWorked = pluggedBefore && !keyboard_.InUpdateMode();
        std::vector<std::string> words;
        std::optional<ActionResult> control;
        switch (frame.kind) {
            case FrameKind::SetFeature: {
                const auto* bytes = reinterpret_cast<const std::uint8_t*>(frame.payload.data());
                const bool taken = keyboard_.SetFeature(ReportView(bytes, frame.payload.size()));
                if (taken) FUZZ_CHECK(pluggedBefore && !frame.payload.empty());
                break;
            }
            case FrameKind::GetFeature: {
                std::uint8_t id = 0;
                std::uint32_t length = 0;
                const bool decoded = DecodeGetRequest(frame.payload, id, length);
                FUZZ_CHECK(decoded == (frame.payload.size() == 5));
                if (!decoded) break;
                FUZZ_CHECK(EncodeGetRequest(id, length) == frame.payload);
                CheckRead(keyboard_, id, length);
                break;
            }
            case FrameKind::Control:
                words = SplitWords(frame.payload);
                FUZZ_CHECK(JoinWords(words) == frame.payload);
                control = RunControl(keyboard_, words);
                break;
            case FrameKind::Event: {
                std::uint16_t type = 0, data = 0;
                if (DecodeEvent(frame.payload, type, data)) FUZZ_CHECK(EncodeEvent(type, data) == frame.payload);
                break;
            }
            default:
                break;
        }
        const std::vector<Notification> notes = keyboard_.TakeNotifications();
        if (control) CheckControl(words, keysWorked, *control, keyboard_, notes, dumpRead_);
        for (const Notification& note : notes) {
            if (note.kind == Notification::Kind::Presence) {
                FUZZ_CHECK(note.plugged != plugged_);
                plugged_ = note.plugged;
                continue;
            }
            std::uint16_t type = 0, data = 0;
            FUZZ_CHECK(DecodeEvent(EncodeEvent(note.type, note.data), type, data) && type == note.type &&
                       data == note.data);
        }
        FUZZ_CHECK(keyboard_.Plugged() == plugged_);
        FUZZ_CHECK(keyboard_.Log().Size() <= EmuLog::kMaxEntries);
        CheckMemory(keyboard_.Memory());
    }

    void Pass(std::int64_t ms) { clock_.now += ms; }

private:
    VirtualTime clock_;
    EmuKeyboard keyboard_;
    bool plugged_ = true;
    bool dumpRead_ = false;
};

// Frames taken from decoder until it wants more; false once it found the
// stream malformed.
bool Drain(FrameDecoder& decoder, std::vector<Frame>& frames) {
    Frame frame;
    for (;;) {
        switch (decoder.Next(frame)) {
            case FrameDecoder::Result::Complete:
                frames.push_back(frame);
                continue;
            case FrameDecoder::Result::NeedMore:
                return true;
            case FrameDecoder::Result::Malformed:
                return false;
        }
    }
}

void RunStream(std::string_view stream) {
    FrameDecoder whole;
    whole.Feed(stream);
    std::vector<Frame> frames;
    const bool intact = Drain(whole, frames);

    // Cut into pieces of 1 to 13 bytes, the stream gives the same frames.
    FrameDecoder pieces;
    std::vector<Frame> again;
    bool piecesIntact = true;
    for (std::size_t at = 0, cut = 1; at < stream.size() && piecesIntact; at += cut, cut = cut % 13 + 1) {
        pieces.Feed(stream.substr(at, cut));
        piecesIntact = Drain(pieces, again);
    }
    FUZZ_CHECK(intact == piecesIntact && frames.size() == again.size());
    std::string consumed;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        FUZZ_CHECK(frames[i].kind == again[i].kind && frames[i].payload == again[i].payload);
        consumed += EncodeFrame(frames[i].kind, frames[i].payload);
    }
    FUZZ_CHECK(stream.substr(0, consumed.size()) == consumed);
    if (intact) {
        FUZZ_CHECK(whole.Pending() == stream.size() - consumed.size());
    } else {
        // Once malformed, a good frame after it is not taken either.
        whole.Feed(EncodeFrame(FrameKind::Control, "help"));
        Frame frame;
        FUZZ_CHECK(whole.Next(frame) == FrameDecoder::Result::Malformed);
    }
    Session session;
    for (const Frame& frame : frames) session.Serve(frame);
}

// A report to write with its declared length and checksum put right.
std::string Framed(std::string report) {
    const ReportInfo* info = report.empty() ? nullptr : FindReportInfo(static_cast<std::uint8_t>(report[0]));
    if (info == nullptr) return report;
    report.resize(info->length, '\0');
    auto* bytes = reinterpret_cast<std::uint8_t*>(report.data());
    if (info->id == ReportId::MacroReport) {
        bytes[1] = static_cast<std::uint8_t>(info->length & 0xFF);
        bytes[2] = static_cast<std::uint8_t>(info->length >> 8);
    } else if (info->id != ReportId::ControlReport) {
        bytes[1] = static_cast<std::uint8_t>(info->length);
    }
    if (info->checksum) SealChecksum(std::span(bytes, report.size()));
    return report;
}

void RunRequests(InputReader& input) {
    Session session;
    for (std::size_t i = 0; i < kMaxRequests && !input.Empty(); ++i) {
        const std::uint8_t head = input.Byte();
        session.Pass(100 * (head >> 4));
        Frame frame;
        switch ((head & 0x0F) % format::kRequestKinds) {
            case format::kWrite:
                frame = {FrameKind::SetFeature, input.Text(kMaxText)};
                break;
            case format::kWriteFramed:
                frame = {FrameKind::SetFeature, Framed(input.Text(kMaxText))};
                break;
            case format::kRead: {
                const std::uint8_t id = input.Byte();
                frame = {FrameKind::GetFeature, EncodeGetRequest(id, input.Le16())};
                break;
            }
            default:
                frame = {FrameKind::Control, input.Text(kMaxText)};
                break;
        }
        // Through the wire and back, as the server receives it.
        FrameDecoder decoder;
        decoder.Feed(EncodeFrame(frame.kind, frame.payload));
        Frame received;
        FUZZ_CHECK(decoder.Next(received) == FrameDecoder::Result::Complete);
        FUZZ_CHECK(received.kind == frame.kind && received.payload == frame.payload && decoder.Pending() == 0);
        session.Serve(received);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static NoFiles noFiles;
    static const ScopedSysCalls guard(noFiles);
    InputReader input(data, size);
    if (input.Byte() % format::kModes == format::kStream) {
        RunStream(input.Rest());
    } else {
        RunRequests(input);
    }
    return 0;
}
