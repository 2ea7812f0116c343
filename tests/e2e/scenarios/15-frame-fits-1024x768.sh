# On a 1024 x 768 display the framed registration screen is placed so that
# its confirm strip is on the screen.
source "$(dirname "$0")/../lib.sh"
e2e_begin 1024x768x24
e2e_start_ready
o=($(e2e_window_origin "$E2E_MAIN"))
bottom=$((o[1] + 757))
echo "registration screen's client area at ${o[0]},${o[1]}; confirm strip ends at y=$bottom"
((bottom <= 768 && o[0] >= 0 && o[0] + 1022 <= 1024)) || e2e_fail "the confirm strip is cut: it ends at y=$bottom on a 768-high display"
