// Whether a path typed or chosen in the quick-launch dialog can be stored:
// it must name something, and it must fit QuickLaunchPath with its
// terminator whole, since a cut path would start another program or none.
#pragma once

#include <cstddef>
#include <string_view>

#include "settings/SettingsRecord.h"
#include "settings/Text.h"

namespace kelm {

inline constexpr std::size_t kMaxQuickLaunchPathBytes = sizeof(MacroKeyInfo::QuickLaunchPath) - 1;

enum class QuickLaunchProblem { None, Empty, TooLong };

inline QuickLaunchProblem CheckQuickLaunchPath(std::string_view path) {
    if (Trim(path).empty()) return QuickLaunchProblem::Empty;
    if (path.size() > kMaxQuickLaunchPathBytes) return QuickLaunchProblem::TooLong;
    return QuickLaunchProblem::None;
}

}  // namespace kelm
