include(${PROJECT_SOURCE_DIR}/tests/support/odbc.cmake)

station_add_test(tst_odbc SOURCES tst_odbc.cpp
  LIBS station_components station_odbc_fixture LABELS db ENV "${STATION_ODBC_ENV_SQLITE}")
