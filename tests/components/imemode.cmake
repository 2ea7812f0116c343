# Windows only: the input-method request needs a real window of the windows
# platform (the offscreen platform's windows have no system handle).
if(WIN32)
  station_add_test(tst_imemode_win SOURCES tst_imemode_win.cpp LIBS station_components
    LABELS windows gui ENV QT_QPA_PLATFORM=windows)
  target_link_libraries(tst_imemode_win PRIVATE imm32)
endif()
