# What other Unix accounts of the station can and cannot do: operators of one
# group share the settings, the error log and the running-copy lock; other
# accounts can neither read the settings nor block the station; plugins beside
# the programs are never loaded. Creates throw-away accounts (needs root,
# skips otherwise), so no other test may run beside it that uses them.
if(UNIX AND TARGET member-station AND TARGET serial-test)
  add_executable(operatorhelper operatorhelper.cpp)
  target_link_libraries(operatorhelper PRIVATE station_app)
  station_target_defaults(operatorhelper)

  station_add_test(tst_permissions SOURCES tst_permissions.cpp LIBS station_util
    LABELS gui TIMEOUT 300)
  target_compile_definitions(tst_permissions PRIVATE
    STATION_PROGRAM="$<TARGET_FILE:member-station>"
    STATION_SERIAL_TEST="$<TARGET_FILE:serial-test>"
    STATION_OPERATOR_HELPER="$<TARGET_FILE:operatorhelper>")
  add_dependencies(tst_permissions member-station serial-test operatorhelper)
  set_tests_properties(tst_permissions PROPERTIES RESOURCE_LOCK unix_accounts)
endif()
