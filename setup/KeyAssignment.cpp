#include "setup/KeyAssignment.h"

namespace kelm {

namespace {

constexpr std::uint8_t kDisabledByPair = 0xDF;
constexpr std::uint8_t kDisabled = 0x00;

// Codes with which a standard key switches to the DuoLayer layer.
bool ActsAsDuoLayerKey(std::uint8_t code) { return code == 0x8C || code == 0xF5 || code == 0xF6 || code == 0xFF; }

}  // namespace

void ApplyDuoLayerPairRule(ProfileRecord& profile, ChangeFlags& flags, int profileIndex, int keyIndex,
                           DuoLayerBackup& backup) {
    if (!IsValidSlot(profileIndex)) return;
    for (std::size_t pair = 0; pair < kDuoLayerPairs.size(); ++pair) {
        if (kDuoLayerPairs[pair].standardKey != keyIndex) continue;
        const int twinIndex = kDuoLayerPairs[pair].duoLayerKey;
        std::uint8_t& twin = profile.Keys[twinIndex].FunctionCode;
        if (ActsAsDuoLayerKey(profile.Keys[keyIndex].FunctionCode)) {
            if (twin == kDisabledByPair) continue;
            backup[profileIndex][pair] = twin;
            twin = kDisabledByPair;
        } else {
            if (twin != kDisabledByPair) continue;
            // A twin that was already off by the rule when it was saved would
            // stay off for ever; it becomes plainly disabled instead.
            const std::uint8_t saved = backup[profileIndex][pair];
            twin = saved == kDisabledByPair ? kDisabled : saved;
        }
        flags.KeyChanged[profileIndex][twinIndex] = 1;
    }
}

bool AssignKeyFunction(SettingsRecord& working, int keyIndex, int command, const FunctionCommandData& data,
                       DuoLayerBackup& backup, bool pairRule) {
    const int profileIndex = working.CurrentProfile;
    if (!IsValidSlot(profileIndex) || keyIndex < 0 || keyIndex >= kKeyCount) return false;
    ProfileRecord& profile = working.Profiles[profileIndex];
    MacroKeyInfo& entry = profile.Keys[keyIndex];
    const std::uint8_t before = entry.FunctionCode;
    if (!ApplyFunctionCommand(entry, command, data)) return false;
    working.Flags.KeyChanged[profileIndex][keyIndex] = 1;
    if (pairRule && entry.FunctionCode != before)
        ApplyDuoLayerPairRule(profile, working.Flags, profileIndex, keyIndex, backup);
    return true;
}

}  // namespace kelm
