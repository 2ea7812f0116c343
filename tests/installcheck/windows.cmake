# station-check.exe under Wine against a PostgreSQL of the test's own: exit
# 0 and 4, and a report without the camera backend (check-under-wine.sh).
if(WIN32 AND TARGET station-check)
  include(${PROJECT_SOURCE_DIR}/tests/support/odbc.cmake)
  add_test(NAME tst_installcheck_wine COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check-under-wine.sh
    $<TARGET_FILE:station-check> ${STATION_WINDOWS_RUNTIME} ${STATION_PSQLODBC_DRIVER})
  set_tests_properties(tst_installcheck_wine PROPERTIES
    FIXTURES_REQUIRED wine_prefix LABELS "windows;installcheck;db" TIMEOUT 600
    ENVIRONMENT "${STATION_WINE_ENV}")
endif()
