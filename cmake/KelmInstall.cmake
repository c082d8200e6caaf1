# The installed layout (cmake --install, and the Debian package made from it):
#
#   <prefix>/lib/kelm/                 the program folder: the programs,
#                                      libdevbridge.so and their read-only
#                                      data (Skin/, Wave/, help/, FlashPack/),
#                                      layout.ini and the factory settings
#   <prefix>/bin/kelmwatch, ...        launchers on PATH (links into lib/kelm/)
#   <prefix>/share/...                 menu entries, icons, man pages,
#                                      completion, documents
#   <prefix>/lib/udev/rules.d/         the keyboard for the person at the seat
#   <prefix>/lib/systemd/user/         the monitor as a user unit
#   /etc/xdg/autostart/                the monitor with the session (under
#                                      <prefix>/etc/ for any prefix but /usr)
#
# A program finds its program folder through its own executable, so the
# launchers are symbolic links and the tree works wherever it is unpacked.
# layout.ini tells the programs that the folder is installed: settings then
# live in $XDG_CONFIG_HOME/VELDAN/Kelm/, seeded from factory/ (see
# settings/InstallLayout.h). A build's bin/ has no layout.ini and keeps
# everything beside the programs.

set(KELM_INSTALL_FOLDER lib/kelm)
set(KELM_STAGE ${CMAKE_BINARY_DIR}/install-stage)

# The factory settings, as `kelmctl settings reset` makes them, in a
# surrounding of their own so the build never touches the builder's settings.
set(KELM_FACTORY ${KELM_STAGE}/factory)
add_custom_command(
  OUTPUT ${KELM_FACTORY}/config.ini
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${KELM_FACTORY} ${KELM_STAGE}/factory-env
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KELM_FACTORY}
  COMMAND ${CMAKE_COMMAND} -E env --unset=KELM_HOME --unset=LC_ALL --unset=LC_MESSAGES LANG=C
          XDG_CONFIG_HOME=${KELM_STAGE}/factory-env XDG_DATA_HOME=${KELM_STAGE}/factory-env
          ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:kelmctl> settings reset --home ${KELM_FACTORY}
  DEPENDS kelmctl
  COMMENT "Writing the factory settings for the installed layout"
  VERBATIM)
add_custom_target(kelm_factory_settings ALL DEPENDS ${KELM_FACTORY}/config.ini)

file(WRITE ${KELM_STAGE}/layout.ini
     "; This program folder is installed: each user's settings live in\r\n"
     "; $XDG_CONFIG_HOME/VELDAN/Kelm/, started from factory/.\r\n"
     "[Layout]\r\nSettings=user\r\n")

# The programs and their data.
install(TARGETS KelmWatch KelmSetup KelmOSD KelmEmu kelmctl devbridge
        RUNTIME DESTINATION ${KELM_INSTALL_FOLDER}
        LIBRARY DESTINATION ${KELM_INSTALL_FOLDER})
install(TARGETS KelmFlash RUNTIME DESTINATION ${KELM_INSTALL_FOLDER}/FlashPack)
install(DIRECTORY ${KELM_PROGRAM_FOLDER}/Skin ${KELM_PROGRAM_FOLDER}/Wave ${KELM_PROGRAM_FOLDER}/help
        DESTINATION ${KELM_INSTALL_FOLDER} PATTERN ".made-by-*" EXCLUDE)
install(DIRECTORY ${KELM_PROGRAM_FOLDER}/FlashPack/Skin DESTINATION ${KELM_INSTALL_FOLDER}/FlashPack)
install(DIRECTORY ${KELM_FACTORY}/ DESTINATION ${KELM_INSTALL_FOLDER}/factory)
install(FILES ${KELM_STAGE}/layout.ini data/devbridge/devbridge.ini DESTINATION ${KELM_INSTALL_FOLDER})

# Launchers: relative links, so an unpacked tree is whole.
set(KELM_LAUNCHERS kelmwatch:KelmWatch kelmsetup:KelmSetup kelmflash:FlashPack/KelmFlash kelmctl:kelmctl
                   kelmemu:KelmEmu)
foreach(pair ${KELM_LAUNCHERS})
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 launcher)
  list(GET pair 1 program)
  file(MAKE_DIRECTORY ${KELM_STAGE}/bin)
  file(CREATE_LINK ../${KELM_INSTALL_FOLDER}/${program} ${KELM_STAGE}/bin/${launcher} SYMBOLIC)
  install(PROGRAMS ${KELM_STAGE}/bin/${launcher} DESTINATION bin)
endforeach()

# The desktop: menu entries, the monitor with the session, the keyboard for
# the person at the seat.
# KelmWatch is in the menu too, so that one quit from its tray menu can be
# started again without a new login: the autostart entry without the keys
# that only autostart reads.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/autostart/kelmwatch.desktop)
file(READ data/autostart/kelmwatch.desktop KELM_WATCH_ENTRY)
string(REGEX REPLACE "(AutostartCondition|X-GNOME-Autostart-[a-z]+)=[^\n]*\n" "" KELM_WATCH_ENTRY "${KELM_WATCH_ENTRY}")
file(WRITE ${KELM_STAGE}/kelmwatch.desktop "${KELM_WATCH_ENTRY}")
install(FILES data/applications/kelmsetup.desktop data/applications/kelmflash.desktop ${KELM_STAGE}/kelmwatch.desktop
        DESTINATION share/applications)
install(FILES data/systemd/kelmwatch.service DESTINATION lib/systemd/user)
install(FILES data/udev/70-kelm-keyboard.rules DESTINATION lib/udev/rules.d)
install(FILES data/udev/71-kelm-uinput.rules DESTINATION share/doc/kelm/examples)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/ DESTINATION share/icons)
# The autostart entry belongs in /etc/xdg/autostart for the system's prefix,
# where the desktop looks; any other prefix keeps it below itself.
install(CODE "
  if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
    set(autostart \"/etc/xdg/autostart\")
  else()
    set(autostart \"\${CMAKE_INSTALL_PREFIX}/etc/xdg/autostart\")
  endif()
  # file(INSTALL) puts DESTDIR in front by itself.
  file(INSTALL \"${PROJECT_SOURCE_DIR}/data/autostart/kelmwatch.desktop\" DESTINATION \"\${autostart}\")
")

# Manual pages and completion, made at build time from the programs' own help.
foreach(pair ${KELM_LAUNCHERS})
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 launcher)
  install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/man/man1\")
    execute_process(COMMAND gzip -9n -c \"${CMAKE_BINARY_DIR}/man/${launcher}.1\"
                    OUTPUT_FILE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/man/man1/${launcher}.1.gz\"
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR \"cannot compress the manual page of ${launcher}\")
    endif()
  ")
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/completion/kelmctl DESTINATION share/bash-completion/completions)

# Documents.
install(FILES README.md packaging/copyright DESTINATION share/doc/kelm)
add_custom_command(
  OUTPUT ${KELM_STAGE}/changelog.gz
  COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${KELM_STAGE}/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog)
add_custom_target(kelm_changelog ALL DEPENDS ${KELM_STAGE}/changelog.gz)
install(FILES ${KELM_STAGE}/changelog.gz DESTINATION share/doc/kelm)

# The Debian package: `cpack -G DEB` in a build folder (see scripts/package).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelm)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kelm developers <kelm@veldan.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "monitor, configuration and firmware tools for the Kelm gaming keyboard")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${PROJECT_SOURCE_DIR}/packaging/description)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kelm.invalid/")
# The libraries come from what the programs link; xdg-open opens the
# targets of quick-launch keys and the help.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${KELM_STAGE}/conffiles ${PROJECT_SOURCE_DIR}/packaging/postinst
                                      ${PROJECT_SOURCE_DIR}/packaging/postrm)
# Installed through DESTDIR with the prefix /usr, so that what goes to /etc
# lands in the package's /etc.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
file(WRITE ${KELM_STAGE}/conffiles "/etc/xdg/autostart/kelmwatch.desktop\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
