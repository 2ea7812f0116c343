include(${PROJECT_SOURCE_DIR}/tests/support/odbc.cmake)

station_add_test(tst_members SOURCES tst_members.cpp
  LIBS station_db station_odbc_fixture LABELS db ENV "${STATION_ODBC_ENV_SQLITE}")
