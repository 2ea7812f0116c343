# Windows only: the running copy's lock there (Linux's is checked by
# tst_startup and tst_permissions).
if(WIN32)
  station_add_test(tst_singleinstance_win SOURCES tst_singleinstance_win.cpp LIBS station_app
    LABELS unit)
endif()
