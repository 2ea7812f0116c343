# The number pasted with ctrl-v.
E2E_PASTE_ROUTE=ctrl-v source "$(dirname "$0")/../paste.sh"
