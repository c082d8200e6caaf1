// The profile-structure encoding: every byte as two upper-case hex digits,
// then two more for the low byte of the byte sum.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelm {

std::string EncodeStruct(const void* data, std::size_t size);
// Decodes into out only when text holds exactly size bytes and a matching
// checksum; on failure out is left untouched. Lower-case digits are accepted.
bool DecodeStruct(std::string_view text, void* out, std::size_t size);

}  // namespace kelm
