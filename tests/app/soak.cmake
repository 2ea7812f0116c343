# Thousands of lookups and saves through the registration screen against
# PostgreSQL: no descriptor or memory growth, every row right at the end.
# The sanitizer build runs fewer cycles: a full run there takes minutes
# more, and what the sanitizers look for shows within a few hundred.
include(${PROJECT_SOURCE_DIR}/tests/support/odbc.cmake)

if(STATION_SANITIZE)
  set(_soak_cycles 600)
else()
  set(_soak_cycles 5000)
endif()
station_add_test(tst_soak SOURCES tst_soak.cpp stationfixture.h
  LIBS station_app station_odbc_fixture LABELS soak TIMEOUT 900
  ENV "${STATION_ODBC_ENV_SQLITE};STATION_SOAK_CYCLES=${_soak_cycles}")
