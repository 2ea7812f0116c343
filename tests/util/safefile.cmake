# Windows only: reparse points, second names and the journal of a stopped
# settings save (Linux's opens are checked by tst_permissions).
if(WIN32)
  station_add_test(tst_safefile_win SOURCES tst_safefile_win.cpp LIBS station_config station_util
    LABELS unit)
endif()
