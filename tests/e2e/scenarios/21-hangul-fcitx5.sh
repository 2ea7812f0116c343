# Hangul typed through fcitx5 with its Hangul engine.
E2E_IM=fcitx5 source "$(dirname "$0")/../hangul-typing.sh"
