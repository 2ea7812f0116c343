# The station when the store server stops answering: a locked member table
# on a PostgreSQL server of the test's own (each case waits out the real
# statement timeout once), and a server that trickles during the login.
include(${PROJECT_SOURCE_DIR}/tests/support/odbc.cmake)

if(UNIX)
  station_add_test(tst_hangs SOURCES tst_hangs.cpp entrydriver.h stationfixture.h
    ${PROJECT_SOURCE_DIR}/tests/support/localpostgres.h
    ${PROJECT_SOURCE_DIR}/tests/db/trickleserver.h
    LIBS station_app station_odbc_fixture LABELS gui db faults ENV "${STATION_ODBC_ENV_SQLITE}"
    TIMEOUT 300)
endif()
