#include "settings/json/TextCodec.h"

namespace kelm::json {

namespace {

constexpr unsigned char Byte(char c) { return static_cast<unsigned char>(c); }

void AppendRawByte(std::string& out, unsigned char byte) {
    // U+EF00 + byte, always three UTF-8 bytes: EE BC|BD|BE|BF 80..BF.
    const char32_t cp = 0xEF00 + byte;
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
}

}  // namespace

std::size_t DecodeUtf8(std::string_view text, std::size_t at, char32_t& cp) {
    const unsigned char lead = Byte(text[at]);
    if (lead < 0x80) {
        cp = lead;
        return 1;
    }
    std::size_t length = 0;
    unsigned char secondLow = 0x80, secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) secondLow = 0xA0;   // no overlong forms
        if (lead == 0xED) secondHigh = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) secondLow = 0x90;
        if (lead == 0xF4) secondHigh = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (text.size() - at < length) return 0;
    char32_t value = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = Byte(text[at + i]);
        const unsigned char low = i == 1 ? secondLow : 0x80;
        const unsigned char high = i == 1 ? secondHigh : 0xBF;
        if (next < low || next > high) return 0;
        value = (value << 6) | (next & 0x3F);
    }
    cp = value;
    return length;
}

std::string BytesToJsonText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8(bytes, i, cp);
        if (length == 0 || IsRawByteCodePoint(cp)) {
            const std::size_t raw = length == 0 ? 1 : length;
            for (std::size_t k = 0; k < raw; ++k) AppendRawByte(out, Byte(bytes[i + k]));
            i += raw;
        } else {
            out.append(bytes.substr(i, length));
            i += length;
        }
    }
    return out;
}

std::string JsonTextToBytes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8(text, i, cp);
        if (length == 0) {
            // Not produced by a JSON parser; kept as the byte it is.
            out += text[i++];
        } else if (IsRawByteCodePoint(cp)) {
            out += static_cast<char>(cp - 0xEF00);
            i += length;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

}  // namespace kelm::json
