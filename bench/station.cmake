# The station as its operator meets it: start-up of the program to the ready
# registration screen (median of process starts, peak memory) against the
# local SQLite store, and lookup and save end to end through the screen on
# PostgreSQL beside the bare ODBC calls.
#   cmake --preset release && cmake --build --preset release --target bench_station
#   source tests/support/postgres.sh start; build/release/bench/bench_station; station_pg_stop
include(${PROJECT_SOURCE_DIR}/tests/support/odbc.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/support/support.cmake)

if(TARGET member-station AND NOT WIN32)
  # Preloaded into the program by the benchmark only, to see it get ready.
  add_library(station_readyprobe MODULE readyprobe.cpp)
  target_link_libraries(station_readyprobe PRIVATE Qt6::Widgets)
  station_target_defaults(station_readyprobe)

  add_executable(bench_station station_bench.cpp)
  target_link_libraries(bench_station PRIVATE station_app station_odbc_fixture
    station_bench_support Qt6::Test)
  target_include_directories(bench_station PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  string(REPLACE "ODBCSYSINI=" "" _bench_odbcsysini "${STATION_ODBC_ENV_SQLITE}")
  target_compile_definitions(bench_station PRIVATE
    BENCH_STATION_PROGRAM="$<TARGET_FILE:member-station>"
    BENCH_READY_PROBE="$<TARGET_FILE:station_readyprobe>"
    BENCH_ODBCSYSINI="${_bench_odbcsysini}")
  add_dependencies(bench_station member-station station_readyprobe)
  station_target_defaults(bench_station)
endif()
