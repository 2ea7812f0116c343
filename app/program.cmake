# The station's executable: main.cpp over the app library.
add_executable(member-station main.cpp)
target_link_libraries(member-station PRIVATE station_app)
target_compile_definitions(member-station PRIVATE STATION_VERSION="${PROJECT_VERSION}")
station_target_defaults(member-station)
station_ship_fonts(member-station)
