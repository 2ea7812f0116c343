# A 1366 x 768 laptop screen: caption and confirm strip on the screen, and a
# click on the strip where it is drawn saves.
source "$(dirname "$0")/../lib.sh"
e2e_fits_and_saves 1366x768x24
