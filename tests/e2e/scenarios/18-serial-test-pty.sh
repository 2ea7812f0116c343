# The serial test program against a pseudo-terminal pair standing in for a
# device on COM1: what the device sends shows in the box, and "출 력" sends
# the box's text and four line breaks back, in code page 949.
source "$(dirname "$0")/../lib.sh"
e2e_begin
link=$E2E_STATE/serial
rm -f "$link-station" "$link-device"
socat pty,raw,echo=0,link="$link-station",perm=0600,user="$E2E_OPERATOR" \
    pty,raw,echo=0,link="$link-device" 2>"$E2E_STATE/socat.log" &
socat_pid=$!
e2e_track "$socat_pid"
e2e_wait 10 "the pseudo-terminal pair" test -e "$link-device"
received=$E2E_STATE/serial-received
: >"$received"
cat "$link-device" >"$received" &
reader=$!
e2e_track "$reader"

# COM1 is /dev/ttyS0: in a mount namespace of the program's own, the
# station's end of the pair stands there; the mount ends with the program.
E2E_COM1=$(readlink -f "$link-station")
E2E_EXEC_PROGRAM=$E2E_PROGRAM_DIR/serial-test
e2e_start_station "$E2E_PROGRAM_DIR"
win=$(e2e_wait_window "$E2E_PID" 437x277 30 "the serial test screen")
E2E_MAIN=$win
e2e_shot serial-test "$win"
# Choose COM1 from the list.
e2e_click_in "$win" 158 32
e2e_wait 10 "the port list" e2e_dialog
e2e_key Home Return
e2e_wait_no_dialog 10 "the port list to close"
e2e_click_and_wait "$win" 68 234 "359x133+32+62" # 클리어
text=$'ABC 한글 123\r\n'
before=$(e2e_region "$(o=($(e2e_window_origin "$win")); echo "359x133+$((o[0] + 32))+$((o[1] + 62))")")
printf '%s' "$text" | iconv -f UTF-8 -t CP949 >"$link-device"
e2e_wait 10 "the device's text in the box" bash -c '[ "$(import -window root -crop "$1" -depth 8 rgb:- | md5sum | cut -d" " -f1)" != "$2" ]' _ \
    "$(o=($(e2e_window_origin "$win")); echo "359x133+$((o[0] + 32))+$((o[1] + 62))")" "$before"
e2e_click_in "$win" 211 234 # 출 력
expected=$(printf '%s\r\n\r\n\r\n\r\n' "$text" | iconv -f UTF-8 -t CP949 | od -An -tx1 | tr -d ' \n')
e2e_wait 10 "the box's text sent back" bash -c '[ "$(od -An -tx1 <"$1" | tr -d " \n")" = "$2" ]' _ "$received" "$expected"
echo "serial test: received and sent back byte for byte"
