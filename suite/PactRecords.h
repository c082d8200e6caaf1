// The records of the Pact monitor's two shared blocks, as the maker's other
// devices' programs read and write them: little-endian 32-bit words.
#pragma once

#include <cstdint>
#include <type_traits>

namespace kelm {

inline constexpr std::uint32_t kPactThisKeyboard = 0x0201;
inline constexpr std::uint32_t kPactCompanionMouse = 0x0101;
inline constexpr std::uint32_t kPactAllDevices = 0xFFFF;
inline constexpr std::uint32_t kPactNoChange = 255;

struct PactStatusRecord {
    std::uint32_t PactSource;
    std::uint32_t PactTarget;
    std::uint32_t DuoLayerState;  // 1 held, 0 released, 255 no change
    std::uint32_t DuoLayerLock;   // 1 locked, 0 unlocked, 255 no change
    std::uint32_t SteadixLevel;   // 1..5 held, 0 normal, 255 no change
    friend bool operator==(const PactStatusRecord&, const PactStatusRecord&) = default;
};
static_assert(sizeof(PactStatusRecord) == 20);
static_assert(std::is_trivially_copyable_v<PactStatusRecord>);

// The monitor only keeps these values; what they mean is the Pact
// monitor's business.
struct AmbientLightRecord {
    std::uint32_t Value0;
    std::uint32_t Value1;
    friend bool operator==(const AmbientLightRecord&, const AmbientLightRecord&) = default;
};
static_assert(sizeof(AmbientLightRecord) == 8);

}  // namespace kelm
