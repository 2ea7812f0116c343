# The station's executable: main.cpp over the app library.
station_add_program(member-station WIN32 SOURCES main.cpp LIBS station_app)
target_compile_definitions(member-station PRIVATE STATION_VERSION="${PROJECT_VERSION}")
