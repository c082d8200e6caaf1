// The record's texts are 8-bit bytes; JSON strings are UTF-8. Bytes that
// already form UTF-8 text pass unchanged, so names typed on this system read
// as they were typed. Every other byte is carried as one private-use code
// point, U+EF00 + byte (U+EF80..U+EFFF), which the JSON printer writes as the
// escape "\uefXX". The mapping is one to one in both directions, so a
// profile written from the JSON that was shown holds the very same bytes.
#pragma once

#include <string>
#include <string_view>

namespace kelm::json {

inline constexpr char32_t kRawByteFirst = 0xEF80;
inline constexpr char32_t kRawByteLast = 0xEFFF;

inline constexpr bool IsRawByteCodePoint(char32_t cp) { return cp >= kRawByteFirst && cp <= kRawByteLast; }

// Length of the well-formed UTF-8 sequence at text[at] and its code point,
// or 0 when the bytes there are not well-formed UTF-8.
std::size_t DecodeUtf8(std::string_view text, std::size_t at, char32_t& cp);

// Field bytes as valid UTF-8. Well-formed sequences that themselves encode
// U+EF80..U+EFFF are carried byte by byte, which keeps the mapping one to one.
std::string BytesToJsonText(std::string_view bytes);
// The inverse: U+EF80..U+EFFF become their byte, all else its UTF-8 bytes.
std::string JsonTextToBytes(std::string_view text);

}  // namespace kelm::json
