// The structure-value decoder on arbitrary text. It must accept exactly
// what a plain digit-by-digit decoder accepts and give the same bytes; a
// value that decodes must encode back to the same digits; one that does
// not must leave the caller's buffer untouched; and any bytes must survive
// encode and decode.
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "settings/StructCodec.h"

namespace {

// The sizes the settings files store: sync stamp, timer, OSD settings,
// library macro, key entry.
constexpr std::array<std::size_t, 5> kRecordSizes = {16, 104, 344, 2060, 2532};
constexpr unsigned char kUntouched = 0xA5;

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

int Digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The encoding decoded the plain way, one digit at a time: what the
// decoder under test must agree with.
bool ReferenceDecode(std::string_view text, std::vector<unsigned char>& bytes) {
    if (text.size() % 2 != 0) return false;
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = Digit(text[i]), low = Digit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(static_cast<unsigned char>(high * 16 + low));
    }
    if (bytes.empty()) return false;
    const unsigned char check = bytes.back();
    bytes.pop_back();
    unsigned sum = 0;
    for (unsigned char b : bytes) sum += b;
    return (sum & 0xFF) == check;
}

void CheckDecode(std::string_view text, std::size_t size) {
    std::vector<unsigned char> buffer(size + 1, kUntouched);
    const bool ok = kelm::DecodeStruct(text, buffer.data(), size);
    FUZZ_CHECK(buffer[size] == kUntouched);
    std::vector<unsigned char> expected;
    FUZZ_CHECK(ok == (text.size() == 2 * size + 2 && ReferenceDecode(text, expected)));
    if (ok) {
        FUZZ_CHECK(std::memcmp(buffer.data(), expected.data(), size) == 0);
        FUZZ_CHECK(kelm::EncodeStruct(buffer.data(), size) == Upper(text));
    } else {
        for (unsigned char b : buffer) FUZZ_CHECK(b == kUntouched);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // The size the text would hold if it were well formed, so that the
    // decoder's success path is reached, and the sizes real files use.
    if (size >= 2) CheckDecode(text, (size - 2) / 2);
    for (std::size_t recordSize : kRecordSizes) CheckDecode(text, recordSize);

    const std::string encoded = kelm::EncodeStruct(data, size);
    std::vector<unsigned char> decoded(size + 1, kUntouched);
    FUZZ_CHECK(kelm::DecodeStruct(encoded, decoded.data(), size));
    FUZZ_CHECK(size == 0 || std::memcmp(decoded.data(), data, size) == 0);
    return 0;
}
