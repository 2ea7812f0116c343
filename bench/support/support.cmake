# What the benchmarks share: the direct ODBC calls they compare the
# station's code with, and the alternating timer. Include it from a
# bench/*.cmake piece; it defines the library station_bench_support once.
if(NOT TARGET station_bench_support)
  add_library(station_bench_support STATIC
    ${CMAKE_CURRENT_LIST_DIR}/directodbc.cpp ${CMAKE_CURRENT_LIST_DIR}/directodbc.h
    ${CMAKE_CURRENT_LIST_DIR}/timing.h)
  target_include_directories(station_bench_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(station_bench_support PUBLIC station_db Qt6::Core PRIVATE ODBC::ODBC)
  station_target_defaults(station_bench_support)
endif()
