# The Windows build (preset "windows"): what a program needs beside it to
# run, the version resource and manifest of the programs, and the tests run
# as Windows programs under Wine.

# This machine's rcc compresses with zstd, which the Qt for Windows cannot read.
set(CMAKE_AUTORCC_OPTIONS --no-zstd)

get_filename_component(_station_qt_prefix "${Qt6_DIR}/../../.." ABSOLUTE)
set(_station_mingw_dlls
  /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libstdc++-6.dll
  /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libgcc_s_seh-1.dll
  /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll)
set(_station_qt_modules Core Gui Widgets Network Concurrent Multimedia MultimediaWidgets SerialPort)
set(_station_qt_plugin_dirs platforms imageformats multimedia)

# Two folders in the build tree: windows-runtime/program (for the programs)
# and windows-runtime/test (the same and Qt's test library).
set(STATION_WINDOWS_RUNTIME ${CMAKE_BINARY_DIR}/windows-runtime/program)
set(STATION_WINDOWS_TEST_RUNTIME ${CMAKE_BINARY_DIR}/windows-runtime/test)
function(_station_stage_runtime dir)
  file(REMOVE_RECURSE ${dir})
  set(files ${_station_mingw_dlls})
  foreach(module IN LISTS ARGN)
    list(APPEND files ${_station_qt_prefix}/bin/Qt6${module}.dll)
  endforeach()
  foreach(f IN LISTS files)
    if(NOT EXISTS ${f})
      message(FATAL_ERROR "${f} is missing: a Windows program cannot run without it")
    endif()
  endforeach()
  file(COPY ${files} DESTINATION ${dir})
  foreach(plugins IN LISTS _station_qt_plugin_dirs)
    file(COPY ${_station_qt_prefix}/plugins/${plugins} DESTINATION ${dir})
  endforeach()
endfunction()
_station_stage_runtime(${STATION_WINDOWS_RUNTIME} ${_station_qt_modules})
_station_stage_runtime(${STATION_WINDOWS_TEST_RUNTIME} ${_station_qt_modules} Test)

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
function(station_add_wine_test name)
  get_property(made GLOBAL PROPERTY _station_wine_fixture)
  if(NOT made)
    set_property(GLOBAL PROPERTY _station_wine_fixture ON)
    add_test(NAME windows.wineprefix
      COMMAND bash ${PROJECT_SOURCE_DIR}/tests/support/wineprefix.sh up ${STATION_WINEPREFIX})
    add_test(NAME windows.wineserver
      COMMAND bash ${PROJECT_SOURCE_DIR}/tests/support/wineprefix.sh down ${STATION_WINEPREFIX})
    set_tests_properties(windows.wineprefix PROPERTIES FIXTURES_SETUP wine_prefix)
    set_tests_properties(windows.wineserver PROPERTIES FIXTURES_CLEANUP wine_prefix)
    set_tests_properties(windows.wineprefix windows.wineserver PROPERTIES
      LABELS windows TIMEOUT 180 ENVIRONMENT "${STATION_WINE_ENV}")
  endif()
  add_test(NAME ${name} COMMAND bash ${PROJECT_SOURCE_DIR}/tests/support/in-program-folder.sh
    --wine ${STATION_WINDOWS_TEST_RUNTIME} ${CMAKE_BINARY_DIR}/test-program-folders $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix)
endfunction()
