#include "settings/Language.h"

#include <array>
#include <cstdlib>
#include <string>

#include "settings/Text.h"

namespace kelm {

namespace {

struct LocaleId {
    std::string_view language;
    std::string_view territory;  // empty: the language's primary identifier
    std::uint16_t langId;
};

// Enough of the Windows table to reach every index and the regional variants
// that select it; any other locale falls back to its language's primary row.
constexpr std::array kLocales = {
    LocaleId{"da", "", 0x0406},   LocaleId{"en", "", 0x0409},   LocaleId{"en", "GB", 0x0809},
    LocaleId{"fi", "", 0x040B},   LocaleId{"fr", "", 0x040C},   LocaleId{"fr", "BE", 0x080C},
    LocaleId{"fr", "CA", 0x0C0C}, LocaleId{"fr", "CH", 0x100C}, LocaleId{"fr", "LU", 0x140C},
    LocaleId{"de", "", 0x0407},   LocaleId{"de", "CH", 0x0807}, LocaleId{"de", "AT", 0x0C07},
    LocaleId{"de", "LU", 0x1007}, LocaleId{"de", "LI", 0x1407}, LocaleId{"it", "", 0x0410},
    LocaleId{"it", "CH", 0x0810}, LocaleId{"ja", "", 0x0411},   LocaleId{"ko", "", 0x0412},
    LocaleId{"pl", "", 0x0415},   LocaleId{"ru", "", 0x0419},   LocaleId{"zh", "", 0x0804},
    LocaleId{"zh", "CN", 0x0804}, LocaleId{"zh", "SG", 0x1004}, LocaleId{"zh", "TW", 0x0404},
    LocaleId{"zh", "HK", 0x0C04}, LocaleId{"zh", "MO", 0x1404}, LocaleId{"es", "", 0x0C0A},
    LocaleId{"es", "ES", 0x0C0A}, LocaleId{"es", "MX", 0x080A}, LocaleId{"es", "GT", 0x100A},
    LocaleId{"es", "CR", 0x140A}, LocaleId{"es", "PA", 0x180A}, LocaleId{"es", "DO", 0x1C0A},
    LocaleId{"es", "VE", 0x200A}, LocaleId{"es", "CO", 0x240A}, LocaleId{"es", "PE", 0x280A},
    LocaleId{"es", "AR", 0x2C0A}, LocaleId{"es", "EC", 0x300A}, LocaleId{"es", "CL", 0x340A},
    LocaleId{"es", "UY", 0x380A}, LocaleId{"es", "PY", 0x3C0A}, LocaleId{"es", "BO", 0x400A},
    LocaleId{"es", "SV", 0x440A}, LocaleId{"es", "HN", 0x480A}, LocaleId{"es", "NI", 0x4C0A},
    LocaleId{"es", "PR", 0x500A}, LocaleId{"es", "US", 0x540A}, LocaleId{"sv", "", 0x041D},
    LocaleId{"sv", "FI", 0x081D}, LocaleId{"th", "", 0x041E},   LocaleId{"tr", "", 0x041F},
    LocaleId{"vi", "", 0x042A},   LocaleId{"nl", "", 0x0413},   LocaleId{"nl", "BE", 0x0813},
    LocaleId{"pt", "", 0x0816},   LocaleId{"pt", "BR", 0x0416}, LocaleId{"nb", "", 0x0414},
    LocaleId{"cs", "", 0x0405},   LocaleId{"hu", "", 0x040E},   LocaleId{"el", "", 0x0408},
};

struct IndexRange {
    std::uint16_t first;
    std::uint16_t last;
    std::uint16_t step;
    std::int32_t index;
};

constexpr std::array kIndexRanges = {
    IndexRange{0x0406, 0x0406, 1, 0},       IndexRange{0x040B, 0x040B, 1, 2},
    IndexRange{0x040C, 0x140C, 0x0400, 3},  IndexRange{0x0407, 0x1407, 0x0400, 4},
    IndexRange{0x0410, 0x0810, 0x0400, 5},  IndexRange{0x0411, 0x0411, 1, 6},
    IndexRange{0x0412, 0x0412, 1, 7},       IndexRange{0x0415, 0x0415, 1, 8},
    IndexRange{0x0419, 0x0419, 1, 9},       IndexRange{0x0804, 0x0804, 1, 10},
    IndexRange{0x040A, 0x500A, 0x0400, 11}, IndexRange{0x041D, 0x041D, 1, 12},
    IndexRange{0x041E, 0x041E, 1, 13},      IndexRange{0x0404, 0x0404, 1, 14},
    IndexRange{0x041F, 0x041F, 1, 15},      IndexRange{0x042A, 0x042A, 1, 16},
};

constexpr std::int32_t kEnglishIndex = 1;

}  // namespace

std::uint16_t LangIdForLocale(std::string_view locale) {
    // language[_TERRITORY][.codeset][@modifier]
    locale = locale.substr(0, locale.find_first_of(".@"));
    const std::size_t sep = locale.find_first_of("_-");
    const std::string_view language = locale.substr(0, sep);
    const std::string_view territory = sep == std::string_view::npos ? std::string_view{} : locale.substr(sep + 1);
    std::uint16_t primary = 0;
    for (const LocaleId& row : kLocales) {
        if (!EqualsNoCase(row.language, language)) continue;
        if (!territory.empty() && EqualsNoCase(row.territory, territory)) return row.langId;
        if (row.territory.empty()) primary = row.langId;
    }
    return primary != 0 ? primary : kLangEnglishUS;
}

std::int32_t LanguageIndexForLangId(std::uint16_t langId) {
    for (const IndexRange& r : kIndexRanges)
        if (langId >= r.first && langId <= r.last && (langId - r.first) % r.step == 0) return r.index;
    return kEnglishIndex;
}

std::int32_t DefaultLanguageIndex() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return LanguageIndexForLangId(LangIdForLocale(value));
    }
    return LanguageIndexForLangId(kLangEnglishUS);
}

}  // namespace kelm
