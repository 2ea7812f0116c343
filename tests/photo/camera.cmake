station_add_test(tst_cameraview SOURCES tst_cameraview.cpp LIBS station_photo LABELS gui)
station_add_test(tst_camerascreen SOURCES tst_camerascreen.cpp LIBS station_photo LABELS gui
  NOT_UNDER_WINE "Qt Multimedia finds no backend under Wine: its plugin loader lists no windowsmediaplugin.dll and ends the program")
if(WIN32)
  station_add_test(tst_medialibraries_win SOURCES tst_medialibraries_win.cpp LIBS station_photo
    LABELS gui ENV "WINEDLLOVERRIDES=mfplat=d")
endif()
