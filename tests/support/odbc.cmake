# ODBC for tests and benchmarks: driver registrations and the member-table
# fixture. Included once by the top-level CMakeLists.txt; it sets there:
#   STATION_ODBC_ENV_SQLITE   "ODBCSYSINI=..." where the driver name
#                             "SQL Server" is the SQLite ODBC driver (the
#                             start-up path against a database file, as in
#                             the demo)
#   STATION_ODBC_ENV_FREETDS  "ODBCSYSINI=..." where "SQL Server" is FreeTDS
# Both also register "PostgreSQL Unicode" (psqlodbcw.so) and "SQLite3". The
# driver manager reads ODBCSYSINI once, at the first ODBC call of a process,
# so a test picks one of them through its ENV.
# The library station_odbc_fixture offers the fresh member tables
# (tests/support/odbc_fixture.h).

# The drivers are this machine's, also for the Windows build: under Wine,
# odbc32 hands every call to the machine's unixODBC.
set(_station_odbc_dirs
  /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/odbc /usr/lib/x86_64-linux-gnu/odbc /usr/lib/odbc
  /usr/local/lib/odbc /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE} /usr/lib)
foreach(_driver PSQLODBC:psqlodbcw.so SQLITEODBC:libsqlite3odbc.so TDSODBC:libtdsodbc.so)
  string(REPLACE ":" ";" _driver ${_driver})
  list(GET _driver 0 _var)
  list(GET _driver 1 _file)
  find_file(STATION_${_var}_DRIVER ${_file} PATHS ${_station_odbc_dirs}
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
endforeach()

function(_station_write_odbcinst dir sqlserver_driver)
  set(content "# Written by tests/support/odbc.cmake\n")
  string(APPEND content "[ODBC]\nPooling = No\n\n")
  string(APPEND content "[PostgreSQL Unicode]\nDriver = ${STATION_PSQLODBC_DRIVER}\n\n")
  string(APPEND content "[SQLite3]\nDriver = ${STATION_SQLITEODBC_DRIVER}\n\n")
  string(APPEND content "[FreeTDS]\nDriver = ${STATION_TDSODBC_DRIVER}\n\n")
  string(APPEND content "[SQL Server]\nDriver = ${sqlserver_driver}\n")
  file(CONFIGURE OUTPUT ${dir}/odbcinst.ini CONTENT "${content}" @ONLY)
  file(CONFIGURE OUTPUT ${dir}/odbc.ini CONTENT "" @ONLY)
endfunction()

set(_station_odbc_root ${CMAKE_BINARY_DIR}/odbc)
_station_write_odbcinst(${_station_odbc_root}/sqlite-as-sqlserver "${STATION_SQLITEODBC_DRIVER}")
_station_write_odbcinst(${_station_odbc_root}/freetds "${STATION_TDSODBC_DRIVER}")
set(STATION_ODBC_ENV_SQLITE "ODBCSYSINI=${_station_odbc_root}/sqlite-as-sqlserver")
set(STATION_ODBC_ENV_FREETDS "ODBCSYSINI=${_station_odbc_root}/freetds")
if(WIN32)
  # Under Wine "SQL Server" is psqlODBC, as Windows' own "SQL Server" driver
  # is a TDS driver of the machine. The Unix SQLite driver cannot open the
  # Windows paths of a Windows program's database files.
  _station_write_odbcinst(${_station_odbc_root}/postgresql-as-sqlserver "${STATION_PSQLODBC_DRIVER}")
  set(STATION_ODBC_ENV_SQLITE
    "ODBCSYSINI=${_station_odbc_root}/postgresql-as-sqlserver"
    "STATION_TEST_SQLITE_UNAVAILABLE=under Wine the Linux SQLite driver cannot open the Windows paths of database files")
endif()

add_library(station_odbc_fixture STATIC
  ${PROJECT_SOURCE_DIR}/tests/support/odbc_fixture.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/odbc_fixture.h)
target_include_directories(station_odbc_fixture PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(station_odbc_fixture PUBLIC station_odbc station_util Qt6::Core)
target_compile_definitions(station_odbc_fixture PRIVATE
  STATION_SQL_DIR="${PROJECT_SOURCE_DIR}/db/sql"
  STATION_DEFAULT_ODBCSYSINI="${_station_odbc_root}/sqlite-as-sqlserver")
station_target_defaults(station_odbc_fixture)

# A library that leaves "<path>.loaded" beside itself when loaded: what an
# operator could plant and name through a settings value (DRIVER=...).
if(NOT WIN32)
  enable_language(C)
  add_library(station_planted_library MODULE ${PROJECT_SOURCE_DIR}/tests/support/plantedlibrary.c)
  target_link_libraries(station_planted_library PRIVATE ${CMAKE_DL_LIBS})
endif()
