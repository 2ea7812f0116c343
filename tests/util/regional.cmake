# Windows only: the formats go to the current user's registry.
if(WIN32)
  station_add_test(tst_regional_win SOURCES tst_regional_win.cpp LIBS station_util LABELS unit)
endif()
