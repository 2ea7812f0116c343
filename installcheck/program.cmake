# station-check: the installer's check, installed beside the station (a
# console program on Windows: the installer reads its output and exit code).
station_add_program(station-check SOURCES main.cpp LIBS station_installcheck)
