station_add_test(tst_cameraview SOURCES tst_cameraview.cpp LIBS station_photo LABELS gui)
station_add_test(tst_camerascreen SOURCES tst_camerascreen.cpp LIBS station_photo LABELS gui)
