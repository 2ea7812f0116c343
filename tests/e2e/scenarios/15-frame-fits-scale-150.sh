# A 1920 x 1080 display at 150 % (1280 x 720 logical pixels): caption and
# confirm strip on the screen, and a click on the strip saves.
source "$(dirname "$0")/../lib.sh"
E2E_QT_SCALE=1.5
e2e_fits_and_saves 1920x1080x24
