# Hangul typed through IBus with its Hangul engine.
E2E_IM=ibus source "$(dirname "$0")/../hangul-typing.sh"
