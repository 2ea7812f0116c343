# Windows only: the input-method request needs a real window of the windows
# platform (the offscreen platform's windows have no system handle), so this
# test runs under Wine on an X server of its own, with the platform given on
# its command line (Wine does not pass QT_* variables to Windows programs).
if(WIN32)
  station_add_test(tst_imemode_win SOURCES tst_imemode_win.cpp LIBS station_components
    LABELS gui NOT_UNDER_WINE "run as tst_imemode_win_x, on an X server")
  target_link_libraries(tst_imemode_win PRIVATE imm32)
  add_test(NAME tst_imemode_win_x COMMAND xvfb-run -a -s "-screen 0 1280x1024x24"
    bash ${PROJECT_SOURCE_DIR}/tests/support/in-program-folder.sh
    --wine ${STATION_WINDOWS_TEST_RUNTIME} ${CMAKE_BINARY_DIR}/test-program-folders
    $<TARGET_FILE:tst_imemode_win> -platform windows)
  set_tests_properties(tst_imemode_win_x PROPERTIES
    FIXTURES_REQUIRED wine_prefix LABELS "windows;gui" TIMEOUT 120
    ENVIRONMENT "${STATION_WINE_ENV}")
endif()
