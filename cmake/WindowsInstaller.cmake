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

# The Qt prefix: <prefix>/lib/cmake/Qt6.
get_filename_component(_station_qt "${Qt6_DIR}/../../.." ABSOLUTE)
# The MinGW runtime DLLs lie beside the compiler's own libraries.
set(_station_search "${_station_qt}/bin")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${_path}")
    # The compiler echoes a bare name it cannot find; winpthread lies with
    # the MinGW import libraries.
    find_file(_path_${dll} ${dll} PATHS /usr/x86_64-w64-mingw32/lib NO_CACHE NO_CMAKE_FIND_ROOT_PATH)
    set(_path "${_path_${dll}}")
  endif()
  if(_path)
    get_filename_component(_dir "${_path}" DIRECTORY)
    list(APPEND _station_search "${_dir}")
  endif()
endforeach()
list(REMOVE_DUPLICATES _station_search)

set(STATION_WINDOWS_PLUGINS platforms/qwindows.dll imageformats/qjpeg.dll multimedia/windowsmediaplugin.dll
  CACHE STRING "Qt plugins the installer ships (category/file under the Qt plugin folder)")
# They go beside the programs (platforms/, ...), where the programs' built-in
# qt.conf makes Qt look for them (util/qtpaths_win.conf).
set(STATION_INSTALLER_COMPRESSOR "/SOLID lzma" CACHE STRING "NSIS compressor (zlib builds much faster)")
find_program(STATION_OBJDUMP NAMES ${CMAKE_OBJDUMP} x86_64-w64-mingw32-objdump)
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
set(QT [[${_station_qt}]])
set(PLUGINS [[${STATION_WINDOWS_PLUGINS}]])
set(FONT_DIR fonts)
set(FONT_SOURCE [[$<TARGET_FILE_DIR:member-station>/fonts]])
set(SEARCH [[${_station_search}]])
set(OBJDUMP [[${STATION_OBJDUMP}]])
")
add_custom_command(OUTPUT ${STATION_INSTALLER_PATH}
  COMMAND ${CMAKE_COMMAND} -DARGS=${STATION_INSTALLER_LISTS}/stage-args.cmake
          -P ${PROJECT_SOURCE_DIR}/packaging/windows/stage.cmake
  COMMAND ${CMAKE_COMMAND} -DPATHS=${STATION_INSTALLER_LISTS}/stage -P ${STATION_SIGN_SCRIPT}
  COMMAND ${STATION_MAKENSIS} -V2 -INPUTCHARSET UTF8 ${STATION_INSTALLER_LISTS}/member-station.nsi
  DEPENDS member-station station-check serial-test ${STATION_SIGN_SCRIPT}
          ${PROJECT_SOURCE_DIR}/packaging/windows/stage.cmake
          ${PROJECT_SOURCE_DIR}/packaging/windows/member-station.nsi.in
  COMMENT "Windows installer ${STATION_INSTALLER_PATH}"
  VERBATIM)
add_custom_target(installer DEPENDS ${STATION_INSTALLER_PATH})
