# serial-test: the serial-port test screen as a program of its own.
add_executable(serial-test main.cpp)
target_link_libraries(serial-test PRIVATE station_serialtest)
station_target_defaults(serial-test)
station_ship_fonts(serial-test)
