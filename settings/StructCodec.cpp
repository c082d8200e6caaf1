#include "settings/StructCodec.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace kelm {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

constexpr std::array<std::int8_t, 256> MakeNibbleTable() {
    std::array<std::int8_t, 256> table{};
    for (auto& v : table) v = -1;
    for (int i = 0; i < 10; ++i) table[static_cast<std::size_t>('0' + i)] = static_cast<std::int8_t>(i);
    for (int i = 0; i < 6; ++i) {
        table[static_cast<std::size_t>('A' + i)] = static_cast<std::int8_t>(10 + i);
        table[static_cast<std::size_t>('a' + i)] = static_cast<std::int8_t>(10 + i);
    }
    return table;
}
constexpr std::array<std::int8_t, 256> kNibble = MakeNibbleTable();

int DecodeByte(const char* two) {
    const int hi = kNibble[static_cast<unsigned char>(two[0])];
    const int lo = kNibble[static_cast<unsigned char>(two[1])];
    return (hi | lo) < 0 ? -1 : (hi << 4) | lo;
}

}  // namespace

std::string EncodeStruct(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::string text(2 * size + 2, '\0');
    unsigned sum = 0;
    for (std::size_t i = 0; i < size; ++i) {
        text[2 * i] = kHexDigits[bytes[i] >> 4];
        text[2 * i + 1] = kHexDigits[bytes[i] & 0x0F];
        sum += bytes[i];
    }
    text[2 * size] = kHexDigits[(sum >> 4) & 0x0F];
    text[2 * size + 1] = kHexDigits[sum & 0x0F];
    return text;
}

bool DecodeStruct(std::string_view text, void* out, std::size_t size) {
    if (text.size() != 2 * size + 2) return false;
    // Decode into a scratch buffer first: a damaged value must not leave half
    // a record behind.
    std::string scratch(size, '\0');
    unsigned sum = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const int byte = DecodeByte(text.data() + 2 * i);
        if (byte < 0) return false;
        scratch[i] = static_cast<char>(byte);
        sum += static_cast<unsigned>(byte);
    }
    const int check = DecodeByte(text.data() + 2 * size);
    if (check < 0 || static_cast<unsigned>(check) != (sum & 0xFF)) return false;
    std::memcpy(out, scratch.data(), size);
    return true;
}

}  // namespace kelm
