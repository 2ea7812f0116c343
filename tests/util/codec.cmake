station_add_test(tst_cp949 SOURCES tst_cp949.cpp LIBS station_util LABELS unit)
