# Fails when a folder includes a header from a folder above it. Run as a
# test: cmake -DSOURCE_DIR=<root> -P CheckLayers.cmake
#
# Each entry: folder, then the folders (or single headers) it may include
# besides its own. Programs sit on top and never include one another; what
# two of them share lives in a library below both.
cmake_minimum_required(VERSION 3.25)

set(layers
  "platform|devbridge/DevBridge.h"
  "platform/gui|platform"
  "platform/sound|platform"
  "settings|platform"
  "settings/json|settings"
  "keyboard|settings platform"
  "suite|settings platform"
  "devbridge|emulator/EmuWire.h settings platform"
  "emulator|keyboard settings/json settings platform"
  "monitor|keyboard suite settings platform platform/gui platform/sound"
  "osd|suite settings platform platform/gui"
  "skin|"
  "setup/texts|settings platform"
  "setup|setup/texts skin keyboard suite settings platform platform/gui"
  "setup/art|setup setup/texts skin settings"
  "tools/kelmctl|keyboard suite settings/json settings platform devbridge/HidConfig.h devbridge/HidApi.h"
  "flash|keyboard suite settings skin platform platform/gui"
  "flash/art|flash skin"
  "data/icons|platform/gui skin"
)

set(faults "")
foreach(entry IN LISTS layers)
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 folder)
  list(GET parts 1 allowed)
  separate_arguments(allowed)
  list(APPEND allowed ${folder})
  file(GLOB sources "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" includes REGEX "^#include \"[^\"]+\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${line}")
      get_filename_component(header_folder "${header}" DIRECTORY)
      if(NOT header_folder IN_LIST allowed AND NOT header IN_LIST allowed)
        file(RELATIVE_PATH where "${SOURCE_DIR}" "${source}")
        list(APPEND faults "${where}: includes ${header}, which ${folder}/ may not use")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n" text)
  message(FATAL_ERROR "${text}")
endif()
message(STATUS "every folder includes only what lies below it")
