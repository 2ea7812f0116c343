# Taking a photo from the registration screen through to the member row.
include(${PROJECT_SOURCE_DIR}/tests/support/odbc.cmake)

foreach(backend sqlite postgresql)
  station_add_test(tst_takephoto_${backend} SOURCES tst_takephoto.cpp stationfixture.h
    LIBS station_app station_odbc_fixture LABELS gui db
    ENV "${STATION_ODBC_ENV_SQLITE};STATION_TEST_BACKEND=${backend}")
endforeach()
