# cmake -DINPUT=<help file> -DOUTPUT=<.cpp> -P EmbedHelpFile.cmake
# Writes BuiltInEnglishHelp() returning the bytes of INPUT. A raw string
# keeps the generated file readable; its delimiter must not occur in INPUT.
file(READ "${INPUT}" content)
set(delimiter "kelm_help")
string(FIND "${content}" ")${delimiter}\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} holds the raw-string delimiter )${delimiter}\"")
endif()
set(text "// Generated from ${INPUT}; edit that file instead.
#include \"setup/texts/BuiltInEnglish.h\"

namespace kelm {

std::string_view BuiltInEnglishHelp() {
    return R\"${delimiter}(${content})${delimiter}\";
}

}  // namespace kelm
")
# Rewritten only when different, so a touched but unchanged file rebuilds
# nothing. Not file(CONFIGURE): it would take "@name@" in a text for a variable.
set(old "")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUTPUT}" "${text}")
endif()
