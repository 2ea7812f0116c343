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

# station_add_library(name SOURCES ... [PLATFORM base] LIBS ...)
# PLATFORM base adds base_win.cpp on Windows and base_unix.cpp elsewhere.
function(station_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PLATFORM;LIBS" ${ARGN})
  set(srcs ${ARG_SOURCES})
  foreach(base IN LISTS ARG_PLATFORM)
    if(WIN32)
      list(APPEND srcs ${base}_win.cpp)
    else()
      list(APPEND srcs ${base}_unix.cpp)
    endif()
  endforeach()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  station_target_defaults(${name})
endfunction()

# station_add_test(name SOURCES ... LIBS ... LABELS ... [ENV ...] [TIMEOUT s])
# Every test runs headless and gets its own scratch folder.
function(station_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  station_target_defaults(${name})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES
    LABELS "${ARG_LABELS}"
    TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1;${ARG_ENV}")
endfunction()
