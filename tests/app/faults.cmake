# The station under faults (a store server of the test's own stopped and
# started again, a read-only program folder, ERROR_LOG as a plain file, a
# full disk) and under bad input (SQL, characters the log cannot hold,
# pasted overlong text, unusable settings files, photos that are no JPEG).
include(${PROJECT_SOURCE_DIR}/tests/support/odbc.cmake)

if(UNIX)
  station_add_test(tst_faults SOURCES tst_faults.cpp entrydriver.h stationfixture.h
    ${PROJECT_SOURCE_DIR}/tests/support/localpostgres.h
    ${PROJECT_SOURCE_DIR}/tests/support/folderfaults.h
    LIBS station_app station_odbc_fixture LABELS gui db ENV "${STATION_ODBC_ENV_SQLITE}"
    TIMEOUT 600)
endif()

station_add_test(tst_badsettings SOURCES tst_badsettings.cpp entrydriver.h stationfixture.h
  LIBS station_app station_odbc_fixture LABELS gui db ENV "${STATION_ODBC_ENV_SQLITE}")

foreach(backend sqlite postgresql)
  station_add_test(tst_badinput_${backend} SOURCES tst_badinput.cpp entrydriver.h stationfixture.h
    LIBS station_app station_odbc_fixture LABELS gui db
    ENV "${STATION_ODBC_ENV_SQLITE};STATION_TEST_BACKEND=${backend}")
endforeach()
