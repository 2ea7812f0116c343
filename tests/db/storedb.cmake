include(${PROJECT_SOURCE_DIR}/tests/support/odbc.cmake)

# "SQL Server" is the SQLite driver here: the production connection string
# reaches a database file, as in the demo.
station_add_test(tst_storedb SOURCES tst_storedb.cpp
  LIBS station_db station_odbc_fixture LABELS db ENV "${STATION_ODBC_ENV_SQLITE}")

# FreeTDS behind "SQL Server", against listeners on 127.0.0.1 only.
if(NOT WIN32)
  station_add_test(tst_storedb_freetds SOURCES tst_storedb_freetds.cpp
    LIBS station_db station_odbc_fixture LABELS db ENV "${STATION_ODBC_ENV_FREETDS}" TIMEOUT 120)
  target_compile_definitions(tst_storedb_freetds PRIVATE
    STATION_PLANTED_LIBRARY="$<TARGET_FILE:station_planted_library>")
  add_dependencies(tst_storedb_freetds station_planted_library)
endif()

# CheckServerConnection tells the user through the message box; it is tested
# once the dialogs and their test helper are in the build.
if(TARGET station_dialogs AND EXISTS ${PROJECT_SOURCE_DIR}/tests/support/modalhelper.h)
  station_add_test(tst_checkserver SOURCES tst_checkserver.cpp
    LIBS station_db station_dialogs station_odbc_fixture Qt6::Widgets LABELS gui db
    ENV "${STATION_ODBC_ENV_SQLITE}")
endif()
