# On the settings screen Escape does nothing (it used to throw away what
# the installer typed), and the window's close button does what 나가기
# does: no file, the start-up ends with its message, exit status 0.
source "$(dirname "$0")/../lib.sh"
e2e_begin
rm -f "$(e2e_settings_file)"
e2e_start_station "$E2E_PROGRAM_DIR"
win=$(e2e_wait_window "$E2E_PID" "$E2E_SIZE_SETTINGS" 30 "the settings screen")
e2e_key ctrl+a
e2e_type 0002
e2e_key Escape
# Nothing may happen: the screen stays, alone, for two seconds of polling.
deadline=$((SECONDS + 2))
while ((SECONDS < deadline)); do
    e2e_window_of_size "$E2E_PID" "$E2E_SIZE_SETTINGS" >/dev/null || e2e_fail "Escape closed the settings screen"
    [ "$(e2e_windows "$E2E_PID" | wc -l)" = 1 ] || e2e_fail "Escape brought up another window"
    sleep 0.2
done
[ ! -e "$(e2e_settings_file)" ] || e2e_fail "Escape wrote a settings file"

# The frame's close button, at the right end of openbox's title bar.
origin=($(e2e_window_origin "$win"))
e2e_click $((origin[0] + 454 - 10)) $((origin[1] - 10))
E2E_MAIN=$win
e2e_wait_dialog 20 "the box saying the settings file is missing" >/dev/null
e2e_key Escape
e2e_wait_exit 20
[ "$E2E_STATUS" = 0 ] || e2e_fail "exit status $E2E_STATUS after the close button"
[ ! -e "$(e2e_settings_file)" ] || e2e_fail "the close button wrote a settings file"
echo "settings screen: Escape ignored, close button ends like 나가기"
