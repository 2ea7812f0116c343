include(${PROJECT_SOURCE_DIR}/tests/support/odbc.cmake)

station_add_test(tst_imagefield SOURCES tst_imagefield.cpp
  LIBS station_photo station_odbc_fixture LABELS db ENV "${STATION_ODBC_ENV_SQLITE}")
