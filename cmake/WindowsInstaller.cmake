# Windows installer (NSIS): target "installer" makes
# member-station-<version>-setup.exe from the built programs, the Qt
# libraries and plugins they load, the MinGW runtime and the screens' fonts.
# The program folder is staged first (packaging/windows/stage.cmake) so that
# the installer, the uninstaller and the permissions share one file list.

find_program(STATION_MAKENSIS makensis)
if(NOT STATION_MAKENSIS)
  message(STATUS "makensis not found: no Windows installer target")
  return()
endif()

# The libraries and plugins are the lists of cmake/Windows.cmake, the ones
# the build tree's programs and tests run with.
set(STATION_INSTALLER_COMPRESSOR "/SOLID lzma" CACHE STRING "NSIS compressor (zlib builds much faster)")
set(STATION_INSTALLER_PATH ${PROJECT_BINARY_DIR}/member-station-${PROJECT_VERSION}-setup.exe)
set(STATION_INSTALLER_LISTS ${PROJECT_BINARY_DIR}/installer)
# Signing (packaging/windows/sign.cmake): the staged files below, the
# uninstaller and the installer by the NSIS script's finalize hooks.
set(STATION_SIGN_SCRIPT ${PROJECT_SOURCE_DIR}/packaging/windows/sign.cmake)
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/member-station.nsi.in
  ${STATION_INSTALLER_LISTS}/member-station.nsi @ONLY)
file(GENERATE OUTPUT ${STATION_INSTALLER_LISTS}/stage-args.cmake CONTENT "
set(STAGE [[${STATION_INSTALLER_LISTS}/stage]])
set(LISTS [[${STATION_INSTALLER_LISTS}]])
set(PROGRAMS [[$<TARGET_FILE:member-station>;$<TARGET_FILE:station-check>;$<TARGET_FILE:serial-test>]])
set(QT [[${STATION_WINDOWS_QT_PREFIX}]])
set(DLLS [[${STATION_WINDOWS_DLLS}]])
set(PLUGINS [[${STATION_WINDOWS_PLUGINS}]])
set(FONT_DIR fonts)
set(FONT_SOURCE [[$<TARGET_FILE_DIR:member-station>/fonts]])
set(OBJDUMP [[${STATION_OBJDUMP}]])
")
add_custom_command(OUTPUT ${STATION_INSTALLER_PATH}
  COMMAND ${CMAKE_COMMAND} -DARGS=${STATION_INSTALLER_LISTS}/stage-args.cmake
          -P ${PROJECT_SOURCE_DIR}/packaging/windows/stage.cmake
  COMMAND ${CMAKE_COMMAND} -DPATHS=${STATION_INSTALLER_LISTS}/stage -P ${STATION_SIGN_SCRIPT}
  COMMAND ${STATION_MAKENSIS} -V2 -INPUTCHARSET UTF8 ${STATION_INSTALLER_LISTS}/member-station.nsi
  DEPENDS member-station station-check serial-test ${STATION_SIGN_SCRIPT}
          ${PROJECT_SOURCE_DIR}/packaging/windows/stage.cmake
          ${PROJECT_SOURCE_DIR}/packaging/windows/imports.cmake
          ${PROJECT_SOURCE_DIR}/packaging/windows/member-station.nsi.in
  COMMENT "Windows installer ${STATION_INSTALLER_PATH}"
  VERBATIM)
add_custom_target(installer DEPENDS ${STATION_INSTALLER_PATH})
