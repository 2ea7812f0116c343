station_add_test(tst_placement SOURCES tst_placement.cpp LIBS station_dialogs LABELS gui)
station_add_test(tst_messagebox SOURCES tst_messagebox.cpp LIBS station_dialogs LABELS gui TIMEOUT 180)
station_add_test(tst_yesno SOURCES tst_yesno.cpp LIBS station_dialogs LABELS gui TIMEOUT 180)
