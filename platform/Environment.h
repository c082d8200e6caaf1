// The environment as the programs read it: variables with their fallbacks
// and the XDG base folders, so every program finds the same folders.
#pragma once

#include <string>
#include <string_view>

namespace kelm {

// The variable's value, or fallback when it is unset or empty.
std::string EnvOr(const char* name, std::string_view fallback = {});
// $HOME, else the user's entry in the password database, else /tmp.
std::string HomeFolder();
// $XDG_CONFIG_HOME and $XDG_DATA_HOME with their defaults under the home.
std::string XdgConfigHome();
std::string XdgDataHome();

}  // namespace kelm
