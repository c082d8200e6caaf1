// The display text another program hands the monitor by WM_COPYDATA: a
// block of exactly 151 bytes, byte 0 unused, bytes 1..150 the text up to
// its first NUL (all 150 when there is none). Any other size is dropped.
#pragma once

#include <optional>
#include <string>

#include "platform/WindowMessage.h"

namespace kelm {

inline constexpr std::size_t kDisplayTextBlockSize = 151;

std::optional<std::string> DisplayTextFromCopyData(const WindowMessage& message);

}  // namespace kelm
