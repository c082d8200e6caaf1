// Fixed-size 8-bit text fields: every writer cuts so that the terminator
// stays inside the field, every reader stops at the field's end even when a
// damaged record has no terminator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace kelm {

template <std::size_t N>
void CopyField(char (&field)[N], std::string_view text) {
    static_assert(N > 0);
    const std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, N - n);
}

template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
    const void* end = std::memchr(field, 0, N);
    return {field, end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : N};
}

// Blanks, tabs and line breaks, as a user types them around names.
std::string_view Trim(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
// Texts equal under EqualsNoCase hash alike, so a lookup can pass over most
// names without comparing them.
std::uint32_t NoCaseHash(std::string_view text);

}  // namespace kelm
