// The shipped help/English_help.ini as the build found it, so that English
// texts exist even where the help folder does not. Generated at build time
// from setup/help/English_help.ini by EmbedHelpFile.cmake.
#pragma once

#include <string_view>

namespace kelm {

std::string_view BuiltInEnglishHelp();

}  // namespace kelm
