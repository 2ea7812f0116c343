# Windows only: the fonts shipped beside the program (Linux takes the
# system's fonts-nanum).
if(WIN32)
  station_add_test(tst_programfonts_win SOURCES tst_programfonts_win.cpp LIBS station_util
    LABELS gui)
endif()
