// The user-interface language index, derived from the session's locale the
// way the Windows programs derive it from the system language identifier.
#pragma once

#include <cstdint>
#include <string_view>

namespace kelm {

inline constexpr std::uint16_t kLangEnglishUS = 0x0409;

// Maps a locale name such as "de_CH.UTF-8" or "es_ES@euro" to its Windows
// language identifier; unknown or technical locales ("C", "POSIX") give US
// English, as a Windows system without a match would.
std::uint16_t LangIdForLocale(std::string_view locale);
// The index 0..16 that a language identifier selects.
std::int32_t LanguageIndexForLangId(std::uint16_t langId);
// From LC_ALL, LC_MESSAGES or LANG, the first one set and not empty.
std::int32_t DefaultLanguageIndex();

}  // namespace kelm
