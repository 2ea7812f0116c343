# station-check: the installer's check, installed beside the station.
add_executable(station-check main.cpp)
target_link_libraries(station-check PRIVATE station_installcheck)
station_target_defaults(station-check)
