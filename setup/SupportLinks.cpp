#include "setup/SupportLinks.h"

namespace kelm {

namespace {

// Only letters, digits and "-._~" stay as they are in an address.
std::string Encoded(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || c == '-' ||
            c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

}  // namespace

std::array<std::string, 5> SupportLinks(std::string_view firmwareText, std::string_view programText) {
    const std::string site(kSupportSite);
    const std::string versions = "firmware=" + Encoded(firmwareText) + "&program=" + Encoded(programText);
    const std::string form = site + "/request?" + versions;
    return {
        site + "/driver?" + versions,
        site + "/help?program=" + Encoded(programText),
        "mailto:" + std::string(kSupportMail) + "?subject=" +
            Encoded("Kelm keyboard (firmware " + std::string(firmwareText) + ", program " + std::string(programText) +
                    ")"),
        form,
        form,
    };
}

}  // namespace kelm
