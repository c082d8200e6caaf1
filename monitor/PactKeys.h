// Turning a Pact key of this keyboard into the status record the Pact
// monitor hands to the other devices, and deciding which records the
// keyboard itself must hear about.
#pragma once

#include <cstdint>
#include <optional>

#include "suite/PactRecords.h"
#include "settings/SettingsRecord.h"

namespace kelm {

// The key entry a Pact key code names: CapsLk 0x39, M1-M5 0xAA..0xAE, T1-T3
// 0xFC..0xFE; nothing for any other code.
std::optional<int> PactKeyEntry(std::uint8_t keyCode);

struct PactKeyRecord {
    PactStatusRecord record;
    std::uint64_t wParam;  // 2 for a lock toggle, else 0
};

// The record for one EVT_PACT_KEY event (data: key code in the low byte,
// phase in the high byte, 0 press) on the current profile. lockFlag is the
// monitor's DuoLayer lock, inverted by each press of a lock key whether or
// not the record is then sent. Nothing for keys without a Pact function and
// for the release of a lock key.
std::optional<PactKeyRecord> PactKeyFunction(std::uint16_t data, const ProfileRecord& profile, bool& lockFlag);

// Every device leaves its DuoLayer and Steadix states.
PactStatusRecord PactResetRecord();

// A record from another device meant for this keyboard or for all.
bool IsForThisKeyboard(const PactStatusRecord& record);

}  // namespace kelm
