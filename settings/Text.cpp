#include "settings/Text.h"

#include <cctype>

namespace kelm {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
}  // namespace

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    // Names mostly match in case too; the locale's lowering is needed only
    // where the bytes differ.
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::uint32_t NoCaseHash(std::string_view text) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (char c : text) {
        // Lowering leaves ASCII other than capitals alone in every locale,
        // and names are mostly such characters.
        const bool keeps = static_cast<unsigned char>(c) < 0x80 && (c < 'A' || c > 'Z');
        hash = (hash ^ static_cast<unsigned char>(keeps ? c : Lower(c))) * 16777619u;
    }
    return hash;
}

}  // namespace kelm
