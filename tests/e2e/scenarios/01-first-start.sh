# First start without settings, as the desktop entry (Windows: the desktop
# shortcut) starts it: the installer fills
# the settings screen by typing and saves; the registration screen comes up
# (so the server accepted the login read back from the file) and the file
# holds exactly what the entry system expects.
source "$(dirname "$0")/../lib.sh"
e2e_begin
# The Windows installer leaves an empty settings file (operators may write
# it, not create it): it counts as none.
if e2e_on_windows; then
    : >"$(e2e_settings_file)"
else
    rm -f "$(e2e_settings_file)"
fi
e2e_start_station "$(e2e_start_folder)"

# The first start in a fresh Wine prefix is slow under load (its caches).
win=$(e2e_wait_window "$E2E_PID" "$E2E_SIZE_SETTINGS" 60 "the settings screen")
e2e_shot settings "$win"
# Field by field, in their tab order; the first starts selected.
values=(0001 "$E2E_PG_HOST" "$E2E_PG_PORT" MS-SQL "$E2E_DB" "$E2E_LOGIN" "$E2E_PASSWORD" 01 123-45-67890)
for value in "${values[@]}"; do
    e2e_key ctrl+a
    e2e_type "$value"
    e2e_key Tab
done
e2e_click_in "$win" 166 344 # 저 장
# The settings screen stays under the box.
E2E_MAIN=$win
box=$(e2e_wait_dialog 20 "the box saying the settings are saved")
e2e_shot messagebox "$box"
e2e_key Escape
e2e_wait_registration
e2e_shot registration-empty "$E2E_MAIN"

expected=$(mktemp)
e2e_on_exit "rm -f $expected"
{
    printf '매장코드 = 0001\r\n점서버_IP = %s\r\n점서버_포트 = %s\r\n' "$E2E_PG_HOST" "$E2E_PG_PORT"
    printf '점서버_DB종류 = MS-SQL\r\n점서버_DB명 = %s\r\n' "$E2E_DB"
    printf '점서버_LOGIN_ID = %s\r\n' "$(e2e_shift_down "$E2E_LOGIN")"
    printf '점서버_LOGIN_PW = %s\r\n' "$(e2e_shift_down "$E2E_PASSWORD")"
    printf 'POSID  = 01\r\n사업자번호  = 123-45-67890\r\n'
} | iconv -f UTF-8 -t CP949 >"$expected"
cmp "$expected" "$(e2e_settings_file)" || e2e_fail "the settings file's bytes differ: $(od -c "$(e2e_settings_file)")"
! e2e_on_windows || [ ! -s "$(e2e_settings_file).journal" ] || e2e_fail "the settings' journal was not emptied"
e2e_on_windows || [ "$(stat -c %U "$(e2e_settings_file)")" = "$E2E_OPERATOR" ] || e2e_fail "the settings file is not the operator's"
echo "first start: settings saved by typing, registration screen up"
