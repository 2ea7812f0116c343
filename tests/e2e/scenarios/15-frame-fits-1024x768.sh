# On a 1024 x 768 display the framed registration screen is drawn smaller so
# that its caption and its confirm strip are on the screen, and saves.
source "$(dirname "$0")/../lib.sh"
e2e_fits_and_saves 1024x768x24
