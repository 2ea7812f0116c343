# A new member with a photo taken through the camera screen and the virtual
# webcam, the station started from another working directory: the row holds
# the JPEG and no photo file stays behind, in the program folder or elsewhere.
source "$(dirname "$0")/../lib.sh"
e2e_begin
elsewhere=$(e2e_elsewhere)
rm -rf "${elsewhere:?}"/*
e2e_start_ready "$elsewhere"
e2e_enter_member 12345678 "김철수" "서울시 강남구 역삼동 1" M
e2e_take_photo camera
e2e_wait 20 "the photo on the registration screen" e2e_photo_shown
e2e_shot registration-photo-taken
e2e_confirm
e2e_wait 20 "the member to be saved" bash -c '[ -n "$(e2e_member 010-1234-5678)" ]'
row=$(e2e_member 010-1234-5678)
echo "row: $row"
IFS='|' read -r name address gender size jpeg <<<"$row"
[ "$name" = "김철수" ] && [ "$address" = "서울시 강남구 역삼동 1" ] || e2e_fail "name or address wrong: $row"
[ "$gender" = "남" ] || e2e_fail "gender wrong: $row"
[ "$jpeg" = t ] && ((size > 1000)) || e2e_fail "the row holds no JPEG photo: $row"
[ -z "$(e2e_photo_files)" ] || e2e_fail "photo files left in the program folder: $(e2e_photo_files)"
[ -z "$(find "$elsewhere" -type f)" ] || e2e_fail "files written into the working directory: $(find "$elsewhere" -type f)"
echo "registered with a photo from another working directory"
