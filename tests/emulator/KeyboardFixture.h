// A factory keyboard on a virtual clock, with helpers that speak to it as a
// host does.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "emulator/EmuKeyboard.h"
#include "keyboard/Reports.h"

namespace kelm::emu::test {

class FakeClock final : public EmuClock {
public:
    std::int64_t NowMs() const override { return now; }
    std::int64_t now = 1000;
};

class KeyboardFixture : public ::testing::Test {
protected:
    ReportBytes Read(ReportId id) {
        const auto answer = keyboard.GetFeature(static_cast<std::uint8_t>(id), InfoOf(id).length);
        EXPECT_TRUE(answer.has_value()) << "read of report " << static_cast<int>(id) << " failed";
        return answer.value_or(ReportBytes{});
    }
    std::uint8_t Status() {
        const ReportBytes status = Read(ReportId::ControlReport);
        return status.size() > 1 ? status[1] : 0;
    }
    ReportBytes SelectAndRead(ReportId id, std::uint8_t profile, std::uint8_t selectCode) {
        EXPECT_TRUE(keyboard.SetFeature(BuildControlSelect(profile, selectCode)));
        return Read(id);
    }
    bool Write(const ReportBytes& report) { return keyboard.SetFeature(report); }
    std::vector<Notification> Events() { return keyboard.TakeNotifications(); }
    const ProfileRecord& Profile(int slot) const { return keyboard.Memory().Profiles[static_cast<std::size_t>(slot)]; }

    FakeClock clock;
    EmuKeyboard keyboard{clock, FactoryMemory(kDefaultFirmware)};
};

inline bool IsEvent(const Notification& note, std::uint16_t type, std::uint16_t data) {
    return note.kind == Notification::Kind::Event && note.type == type && note.data == data;
}

inline bool SameProfiles(const KeyboardMemory& a, const KeyboardMemory& b) {
    return std::memcmp(a.Profiles.data(), b.Profiles.data(), sizeof a.Profiles) == 0;
}

}  // namespace kelm::emu::test
