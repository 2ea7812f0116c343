# The number pasted with shift-insert.
E2E_PASTE_ROUTE=shift-insert source "$(dirname "$0")/../paste.sh"
