# Linux only: file modes, the operator group and resource limits.
station_add_test(tst_settingsfile SOURCES tst_settingsfile.cpp LIBS station_config station_util
  LABELS unit LINUX_ONLY)
