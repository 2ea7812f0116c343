# Member operations through the station's ODBC layer against the same
# statements issued with direct ODBC calls, on PostgreSQL and SQLite.
#   cmake --build --preset release --target bench_db
#   source tests/support/postgres.sh start; build/release/bench/bench_db; station_pg_stop
include(${PROJECT_SOURCE_DIR}/tests/support/odbc.cmake)

add_executable(bench_db db_bench.cpp)
target_link_libraries(bench_db PRIVATE station_db station_odbc_fixture ODBC::ODBC Qt6::Core)
target_include_directories(bench_db PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
station_target_defaults(bench_db)
