#include "settings/StructCodec.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
// Profile files hold 58 key entries of 5064 digits each; decoding them a
// digit at a time was most of the cost of loading the settings. These take
// 16 digits at once by the rules of DecodeByte.

// Checks gathered over a whole value, so that the loop does not branch.
struct DigitChecks {
    __m128i maxNibble = _mm_setzero_si128();
    __m128i minFromColon = _mm_set1_epi8(-1);

    bool AllHex() const {
        const __m128i nibblesOk = _mm_cmpeq_epi8(_mm_min_epu8(maxNibble, _mm_set1_epi8(15)), maxNibble);
        const __m128i colonsOk = _mm_cmpeq_epi8(_mm_max_epu8(minFromColon, _mm_set1_epi8(6)), minFromColon);
        return _mm_movemask_epi8(_mm_and_si128(nibblesOk, colonsOk)) == 0xFFFF;
    }
};

// Returns the 8 bytes of 16 digits, one in the low half of each 16-bit lane.
__m128i DecodeSixteen(const char* text, DigitChecks& checks) {
    const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i_u*>(text));
    const __m128i digit = _mm_sub_epi8(chars, _mm_set1_epi8('0'));
    // 10..15 for 'a'..'f' and 'A'..'F'; above 15 (saturated) for all else.
    const __m128i lowered = _mm_or_si128(chars, _mm_set1_epi8(0x20));
    const __m128i letter = _mm_adds_epu8(_mm_sub_epi8(lowered, _mm_set1_epi8('a')), _mm_set1_epi8(10));
    const __m128i nibbles = _mm_min_epu8(digit, letter);
    // A nibble above 15 means a character that is no digit; ':' .. '?'
    // are the only others that come out as 10..15, and they are caught by
    // their distance from ':'.
    checks.maxNibble = _mm_max_epu8(checks.maxNibble, nibbles);
    checks.minFromColon = _mm_min_epu8(checks.minFromColon, _mm_sub_epi8(chars, _mm_set1_epi8(':')));
    // A byte's high digit comes first, in the low half of its lane.
    const __m128i high = _mm_slli_epi16(_mm_and_si128(nibbles, _mm_set1_epi16(0x00FF)), 4);
    return _mm_or_si128(high, _mm_srli_epi16(nibbles, 8));
}

// Decodes 16 bytes at a time from the start of text; returns how many bytes
// it decoded, or nothing when a digit was not hexadecimal.
std::optional<std::size_t> DecodeBlocks(const char* text, unsigned char* out, std::size_t size, unsigned& sum) {
    DigitChecks checks;
    __m128i sums = _mm_setzero_si128();
    std::size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        const __m128i first = DecodeSixteen(text + 2 * i, checks);
        const __m128i bytes = _mm_packus_epi16(first, DecodeSixteen(text + 2 * i + 16, checks));
        _mm_storeu_si128(reinterpret_cast<__m128i_u*>(out + i), bytes);
        sums = _mm_add_epi64(sums, _mm_sad_epu8(bytes, _mm_setzero_si128()));
    }
    if (!checks.AllHex()) return std::nullopt;
    sum += static_cast<unsigned>(_mm_cvtsi128_si32(sums)) +
           static_cast<unsigned>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    return i;
}
#endif

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
    // The records stored this way are a few kilobytes at most; the stack
    // serves them without an allocation per value.
    unsigned char local[4096];
    std::unique_ptr<unsigned char[]> heap;
    if (size > sizeof local) heap = std::make_unique_for_overwrite<unsigned char[]>(size);
    unsigned char* const scratch = heap ? heap.get() : local;
    unsigned sum = 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    const auto decoded = DecodeBlocks(text.data(), scratch, size, sum);
    if (!decoded) return false;
    i = *decoded;
#endif
    for (; i < size; ++i) {
        const int byte = DecodeByte(text.data() + 2 * i);
        if (byte < 0) return false;
        scratch[i] = static_cast<unsigned char>(byte);
        sum += static_cast<unsigned>(byte);
    }
    const int check = DecodeByte(text.data() + 2 * size);
    if (check < 0 || static_cast<unsigned>(check) != (sum & 0xFF)) return false;
    std::memcpy(out, scratch, size);
    return true;
}

}  // namespace kelm
