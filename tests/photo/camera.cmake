station_add_test(tst_cameraview SOURCES tst_cameraview.cpp LIBS station_photo LABELS gui)
