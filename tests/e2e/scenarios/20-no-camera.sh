# No camera at all: the camera screen says so instead of a picture, its save
# reports the failure, and the station goes on to save the member without a
# photo.
source "$(dirname "$0")/../lib.sh"
# Linux: the operators' environment always offers the tests' virtual webcam
# (its absence is covered by the camera screen's own tests there).
e2e_on_windows || { echo "e2e: skipped (the Linux rig always has its virtual webcam)"; exit "$E2E_SKIP"; }
e2e_begin
e2e_start_ready
e2e_enter_member 13572468 "사진없음" "카메라 없는 매장" F
e2e_click_in "$E2E_MAIN" $E2E_AT_TAKE_PHOTO
cam=$(e2e_wait_window "$E2E_PID" "$E2E_SIZE_CAMERA" 20 "the camera screen")
e2e_shot camera-none "$cam"
box() { e2e_windows "$E2E_PID" | awk -v a="$E2E_MAIN" -v b="$cam" '$1 != a && $1 != b { f = 1 } END { exit !f }'; }
no_box() { ! box; }
e2e_click_in "$cam" $E2E_CAMERA_AT_SAVE
e2e_wait 20 "the box saying the photo was not saved" box
e2e_key Escape
e2e_wait 20 "the box to close" no_box
e2e_key Escape
e2e_wait_no_window "$E2E_PID" "$E2E_SIZE_CAMERA" 20 "the camera screen to close on Escape"
e2e_no_photo_shown || e2e_fail "a photo is shown without a camera"
e2e_confirm
e2e_wait_member 010-1357-2468 "사진없음|카메라 없는 매장|여|0|f"
e2e_gone "$E2E_PID" && e2e_fail "the station ended"
echo "no camera: said so, save refused, member saved without a photo"
