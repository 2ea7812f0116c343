# Shared build settings for every target of the station.

function(station_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(STATION_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS)
endfunction()

if(STATION_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# What a Windows program needs beside it to run (see cmake/Windows.cmake):
# STATION_WINDOWS_RUNTIME, and STATION_WINDOWS_TEST_RUNTIME for tests.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/Windows.cmake)
endif()

# station_add_program(name [WIN32] SOURCES ... LIBS ...)
# One of the station's programs; WIN32 makes it a GUI program on Windows
# (no console window). On Windows it gets the version resource and the
# manifest, and its folder in the build tree what it needs to run.
function(station_add_program name)
  cmake_parse_arguments(ARG "WIN32" "" "SOURCES;LIBS" ${ARGN})
  if(ARG_WIN32)
    add_executable(${name} WIN32 ${ARG_SOURCES})
  else()
    add_executable(${name} ${ARG_SOURCES})
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  station_target_defaults(${name})
  if(WIN32)
    station_windows_program(${name})
  endif()
endfunction()

# station_add_test(name SOURCES ... LIBS ... LABELS ... [ENV ...] [TIMEOUT s]
#                  [ARGS ...] [XVFB] [LINUX_ONLY] [NOT_UNDER_WINE reason])
# Every test runs headless, from a program folder of its own (a fresh folder
# holding a link to the test program, as the station's executable lies in
# its program folder), with a working folder elsewhere; both go afterwards.
# ARGS: the test program's command line. XVFB: on an X server of its own
# (xvfb-run), for what needs a real window of the platform named in ARGS.
# LINUX_ONLY: a test of Linux things (Unix accounts, ptys, a PostgreSQL the
# test starts itself), not built for Windows. On Windows every other test
# runs under Wine and gets the label "windows", unless NOT_UNDER_WINE gives
# the reason it cannot pass there.
function(station_add_test name)
  cmake_parse_arguments(ARG "LINUX_ONLY;XVFB" "TIMEOUT;NOT_UNDER_WINE" "SOURCES;LIBS;LABELS;ENV;ARGS" ${ARGN})
  if(WIN32 AND ARG_LINUX_ONLY)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  station_target_defaults(${name})
  set(command bash ${PROJECT_SOURCE_DIR}/tests/support/in-program-folder.sh)
  if(WIN32)
    station_wine_fixture()
    list(APPEND command --wine ${STATION_WINDOWS_TEST_RUNTIME})
    # The test's own values after Wine's, so that they win.
    list(PREPEND ARG_ENV ${STATION_WINE_ENV})
    if(NOT ARG_NOT_UNDER_WINE)
      list(APPEND ARG_LABELS windows)
    endif()
  endif()
  if(ARG_XVFB)
    list(PREPEND command xvfb-run -a -s "-screen 0 1280x1024x24")
  endif()
  # The program folders inside the build tree, so that the link never
  # crosses file systems.
  add_test(NAME ${name} COMMAND ${command}
    ${CMAKE_BINARY_DIR}/test-program-folders $<TARGET_FILE:${name}> ${ARG_ARGS})
  if(WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  # The test screen is a 1920 x 1080 display (tests/support/offscreen.json),
  # where every window fits at its design size (Qt's default is 800 x 600).
  # intercept_tls_get_addr=0: GCC 12's sanitizer runtime mistakes a dynamic
  # TLS block of a dlopen'ed library (Qt Multimedia's GStreamer plugin) for
  # an old glibc header, and the leak check at exit then dies in its tracer
  # with "Tracer caught signal 11" although nothing leaked.
  set_tests_properties(${name} PROPERTIES
    LABELS "${ARG_LABELS}"
    TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen:configfile=${PROJECT_SOURCE_DIR}/tests/support/offscreen.json;LC_ALL=C.UTF-8;ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:intercept_tls_get_addr=0;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1;${ARG_ENV}")
endfunction()

# station_folder_library(name LIBS ...)
# One library per subsystem folder: every *.cpp of the folder except main.cpp
# and the platform files; NAME_win.cpp / NAME_unix.cpp join on their platform.
function(station_folder_library name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(srcs)
  foreach(f IN LISTS all)
    get_filename_component(n ${f} NAME)
    if(n STREQUAL "main.cpp")
      continue()
    elseif(n MATCHES "_win\\.cpp$")
      if(WIN32)
        list(APPEND srcs ${f})
      endif()
    elseif(n MATCHES "_unix\\.cpp$")
      if(NOT WIN32)
        list(APPEND srcs ${f})
      endif()
    else()
      list(APPEND srcs ${f})
    endif()
  endforeach()
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  file(GLOB resources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  if(NOT srcs)
    message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR} holds no source of ${name}")
  endif()
  add_library(${name} STATIC ${srcs} ${headers} ${resources})
  set_target_properties(${name} PROPERTIES AUTORCC ON)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  station_target_defaults(${name})
endfunction()
