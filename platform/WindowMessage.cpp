#include "platform/WindowMessage.h"

namespace kelm {

std::uint32_t RegisterWindowMessage(std::string_view name) {
    if (name.empty()) return 0;
    std::uint32_t hash = 0x811C9DC5u;
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x01000193u;
    }
    return 0xC000u + hash % 0x4000u;
}

}  // namespace kelm
