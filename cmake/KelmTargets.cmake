# Compiler settings every target of the suite shares.
add_library(kelm_options INTERFACE)
target_compile_options(kelm_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
                                              -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual)
if(KELM_WERROR)
  target_compile_options(kelm_options INTERFACE -Werror)
endif()
if(KELM_SANITIZE)
  target_compile_options(kelm_options INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=all
                                                -fno-omit-frame-pointer)
  target_link_options(kelm_options INTERFACE -fsanitize=address,undefined)
endif()
target_include_directories(kelm_options INTERFACE ${PROJECT_SOURCE_DIR})

# kelm_test(NAME SOURCES... [LIBS ...]): a GoogleTest executable outside
# the program folder, registered with CTest case by case.
find_package(GTest)
function(kelm_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE kelm_options GTest::gtest GTest::gtest_main GTest::gmock ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       PROPERTIES ENVIRONMENT "KELM_PROGRAM_FOLDER=${CMAKE_BINARY_DIR}/bin" SKIP_RETURN_CODE 77)
endfunction()

# kelm_draw_pictures(NAME PROGRAM FOLDER COMMENT): runs the drawing program
# PROGRAM on FOLDER at build time, without a display, again whenever the
# program changes; NAME is the target that stands for its pictures.
function(kelm_draw_pictures name program folder comment)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${name}.stamp)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:${program}> ${folder}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${program}
    COMMENT "${comment}")
  add_custom_target(${name} ALL DEPENDS ${stamp})
endfunction()
