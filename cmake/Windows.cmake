# The Windows build (preset "windows"): what a program needs beside it to
# run, the version resource and manifest of the programs, and the tests run
# as Windows programs under Wine.

# This machine's rcc compresses with zstd, which the Qt for Windows cannot read.
set(CMAKE_AUTORCC_OPTIONS --no-zstd)

# What the Windows programs need beside them, resolved once: the build tree's
# program folders (what the tests run) and the installer
# (cmake/WindowsInstaller.cmake, packaging/windows/stage.cmake) take it from
# these lists.
#   STATION_WINDOWS_QT_PREFIX  the Qt for Windows (<prefix>/lib/cmake/Qt6)
#   STATION_WINDOWS_DLLS       the MinGW runtime and Qt libraries, full paths
#   STATION_WINDOWS_PLUGINS    Qt plugins as <category>/<file> under
#                              <prefix>/plugins; they go beside the programs,
#                              where the programs' built-in qt.conf makes Qt
#                              look for them (util/qtpaths_win.conf)
# Tests add Qt's test library and the offscreen platform to them.
get_filename_component(STATION_WINDOWS_QT_PREFIX "${Qt6_DIR}/../../.." ABSOLUTE)
set(STATION_WINDOWS_DLLS)
# The MinGW runtime where this compiler keeps it.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE)
  # A compiler that does not know the file echoes its bare name.
  if(NOT IS_ABSOLUTE "${_path}" OR NOT EXISTS "${_path}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know ${dll}: a Windows program cannot run without it")
  endif()
  get_filename_component(_path "${_path}" ABSOLUTE)
  list(APPEND STATION_WINDOWS_DLLS ${_path})
endforeach()
foreach(module Core Gui Widgets Network Multimedia SerialPort)
  list(APPEND STATION_WINDOWS_DLLS ${STATION_WINDOWS_QT_PREFIX}/bin/Qt6${module}.dll)
endforeach()
set(STATION_WINDOWS_PLUGINS platforms/qwindows.dll imageformats/qjpeg.dll multimedia/windowsmediaplugin.dll)
# What reads the libraries' imports (packaging/windows/imports.cmake).
find_program(STATION_OBJDUMP NAMES ${CMAKE_OBJDUMP} x86_64-w64-mingw32-objdump REQUIRED)
set(_station_test_dlls ${STATION_WINDOWS_QT_PREFIX}/bin/Qt6Test.dll)
set(_station_test_plugins platforms/qoffscreen.dll)

# Two folders in the build tree: windows-runtime/program (for the programs)
# and windows-runtime/test (the same, and what only tests load).
set(STATION_WINDOWS_RUNTIME ${CMAKE_BINARY_DIR}/windows-runtime/program)
set(STATION_WINDOWS_TEST_RUNTIME ${CMAKE_BINARY_DIR}/windows-runtime/test)
function(_station_stage_runtime dir dlls plugins)
  file(REMOVE_RECURSE ${dir})
  foreach(f IN LISTS dlls)
    if(NOT EXISTS ${f})
      message(FATAL_ERROR "${f} is missing: a Windows program cannot run without it")
    endif()
    file(COPY ${f} DESTINATION ${dir})
  endforeach()
  foreach(p IN LISTS plugins)
    set(f ${STATION_WINDOWS_QT_PREFIX}/plugins/${p})
    if(NOT EXISTS ${f})
      message(FATAL_ERROR "${f} is missing: the Qt for Windows lacks a plugin the programs load")
    endif()
    get_filename_component(category ${p} DIRECTORY)
    file(COPY ${f} DESTINATION ${dir}/${category})
  endforeach()
endfunction()
_station_stage_runtime(${STATION_WINDOWS_RUNTIME} "${STATION_WINDOWS_DLLS}" "${STATION_WINDOWS_PLUGINS}")
_station_stage_runtime(${STATION_WINDOWS_TEST_RUNTIME}
  "${STATION_WINDOWS_DLLS};${_station_test_dlls}" "${STATION_WINDOWS_PLUGINS};${_station_test_plugins}")

# The screens' fonts (Debian's fonts-nanum, SIL Open Font License) and their
# licence in fonts/ beside the programs: a Windows PC has none of them, and
# the programs load them from there (util/programfonts.h).
set(STATION_NANUM_FONTS /usr/share/fonts/truetype/nanum CACHE PATH
  "Folder of the Nanum font files shipped with the Windows programs")
set(STATION_NANUM_LICENCE /usr/share/doc/fonts-nanum/copyright CACHE FILEPATH
  "Licence text of the Nanum fonts")
set(_station_fonts)
foreach(font NanumGothic NanumGothicBold NanumBarunGothic NanumBarunGothicBold
              NanumGothicCoding NanumGothicCodingBold NanumSquareR NanumSquareB)
  list(APPEND _station_fonts ${STATION_NANUM_FONTS}/${font}.ttf)
endforeach()
foreach(f IN LISTS _station_fonts ITEMS ${STATION_NANUM_LICENCE})
  if(NOT EXISTS ${f})
    message(FATAL_ERROR "${f} is missing: install fonts-nanum")
  endif()
endforeach()
foreach(dir ${STATION_WINDOWS_RUNTIME} ${STATION_WINDOWS_TEST_RUNTIME})
  file(COPY ${_station_fonts} DESTINATION ${dir}/fonts)
  configure_file(${STATION_NANUM_LICENCE} ${dir}/fonts/LICENSE-fonts-nanum.txt COPYONLY)
endforeach()

# Hard links of everything in `runtime` into `dir` (copies across file systems).
function(_station_link_runtime runtime dir)
  file(GLOB_RECURSE files RELATIVE ${runtime} ${runtime}/*)
  foreach(f IN LISTS files)
    get_filename_component(sub ${dir}/${f} DIRECTORY)
    file(MAKE_DIRECTORY ${sub})
    file(CREATE_LINK ${runtime}/${f} ${dir}/${f} COPY_ON_ERROR)
  endforeach()
endfunction()

# The version resource and manifest, and the runtime beside the program in
# the build tree (so it runs from there, and a package takes it from there).
function(station_windows_program target)
  set(STATION_PROGRAM_NAME ${target})
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in
    ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.manifest.in
    ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}.rc PROPERTIES
    OBJECT_DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  _station_link_runtime(${STATION_WINDOWS_RUNTIME} ${CMAKE_CURRENT_BINARY_DIR})
endfunction()

# Tests under Wine: one Wine prefix per build, made by the fixture test
# windows.wineprefix and its Wine server ended by windows.wineserver.
set(STATION_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(STATION_WINE_ENV
  WINEPREFIX=${STATION_WINEPREFIX} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=)
# The fixture wine_prefix, made once; a test under Wine requires it.
function(station_wine_fixture)
  get_property(made GLOBAL PROPERTY _station_wine_fixture)
  if(made)
    return()
  endif()
  set_property(GLOBAL PROPERTY _station_wine_fixture ON)
  add_test(NAME windows.wineprefix
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/support/wineprefix.sh up ${STATION_WINEPREFIX})
  add_test(NAME windows.wineserver
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/support/wineprefix.sh down ${STATION_WINEPREFIX})
  set_tests_properties(windows.wineprefix PROPERTIES FIXTURES_SETUP wine_prefix)
  set_tests_properties(windows.wineserver PROPERTIES FIXTURES_CLEANUP wine_prefix)
  set_tests_properties(windows.wineprefix windows.wineserver PROPERTIES
    LABELS windows TIMEOUT 180 ENVIRONMENT "${STATION_WINE_ENV}")
endfunction()
