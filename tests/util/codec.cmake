# The CP949 codec; its table of every code is checked against cp949-table.txt,
# made on Linux with STATION_CP949_WRITE_TABLE=<file> tst_cp949 everyCodeAsOnLinux.
station_add_test(tst_cp949 SOURCES tst_cp949.cpp cp949-table.qrc LIBS station_util LABELS unit windows)
set_target_properties(tst_cp949 PROPERTIES AUTORCC ON)
