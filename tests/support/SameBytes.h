// Whole records compared byte for byte, padding and text tails included:
// what the settings files, the shared block and the JSON form must keep.
#pragma once

#include <cstring>

namespace kelm::test {

template <typename T>
bool SameBytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

}  // namespace kelm::test
