station_add_test(tst_mytext SOURCES tst_mytext.cpp LIBS station_components station_util LABELS gui)
