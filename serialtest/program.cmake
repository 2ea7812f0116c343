# serial-test: the serial-port test screen as a program of its own.
station_add_program(serial-test WIN32 SOURCES main.cpp LIBS station_serialtest)
