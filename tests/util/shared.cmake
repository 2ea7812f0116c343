station_add_test(tst_phone SOURCES tst_phone.cpp LIBS station_util LABELS unit)
station_add_test(tst_errorlog SOURCES tst_errorlog.cpp LIBS station_util LABELS unit)
station_add_test(tst_credential SOURCES tst_credential.cpp LIBS station_util LABELS unit)
