// The keyboard as the key-assignment pages picture it: every key cap with
// its name and where it lies on a page (page pixels). The picture program
// draws the caps, the keys a page assigns standing out; the pages find a
// key clicked on the picture by the same table.
#pragma once

#include <span>
#include <string_view>

namespace kelm {

struct KeyCap {
    std::string_view name;  // the slot's layout name where a page assigns the key
    int x;
    int y;
    int width;
    int height;
};

std::span<const KeyCap> KeyboardKeys();

// The keys each key-assignment page assigns, by name.
std::span<const std::string_view> MacroKeysPageKeys();
std::span<const std::string_view> HotGridPageKeys();
std::span<const std::string_view> MediaFPageKeys();

}  // namespace kelm
