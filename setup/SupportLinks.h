// The addresses behind the update page's buttons: the driver page and the
// help page for this firmware and program, a mail to support and the
// support form. Each goes to the desktop's handler (xdg-open).
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace kelm {

inline constexpr std::string_view kSupportSite = "https://support.veldan.com/kelm";
inline constexpr std::string_view kSupportMail = "support@veldan.com";

// In the order of the page's buttons; both support-form buttons open the
// form. Versions are the texts the page shows ("1.15", "N/A").
std::array<std::string, 5> SupportLinks(std::string_view firmwareText, std::string_view programText);

}  // namespace kelm
