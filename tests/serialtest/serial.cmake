station_add_test(tst_linesettings SOURCES tst_linesettings.cpp LIBS station_serialtest LABELS unit)
# Linux only: the port pairs are socat's ptys.
station_add_test(tst_commport SOURCES tst_commport.cpp socatpair.h LIBS station_serialtest LABELS serial
  LINUX_ONLY)
station_add_test(tst_serialtestscreen SOURCES tst_serialtestscreen.cpp socatpair.h
  LIBS station_serialtest LABELS serial gui LINUX_ONLY)
