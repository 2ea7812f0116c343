# Windows only: the plugin and library folders (Linux's are checked by
# tst_permissions).
if(WIN32)
  station_add_test(tst_pluginpaths_win SOURCES tst_pluginpaths_win.cpp LIBS station_util
    LABELS unit)
endif()
