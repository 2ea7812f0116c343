# The registration screen against real databases: start-up through the
# driver name "SQL Server" (SQLite behind it, as in the demo), and the
# screen's work once on SQLite and once on PostgreSQL.
include(${PROJECT_SOURCE_DIR}/tests/support/odbc.cmake)

station_add_test(tst_startup SOURCES tst_startup.cpp stationfixture.h
  LIBS station_app station_odbc_fixture LABELS gui db ENV "${STATION_ODBC_ENV_SQLITE}")

foreach(backend sqlite postgresql)
  station_add_test(tst_registration_${backend} SOURCES tst_registration.cpp stationfixture.h
    LIBS station_app station_odbc_fixture LABELS gui db
    ENV "${STATION_ODBC_ENV_SQLITE};STATION_TEST_BACKEND=${backend}")
endforeach()
