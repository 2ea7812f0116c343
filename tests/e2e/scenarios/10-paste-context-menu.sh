# The number pasted with context-menu.
E2E_PASTE_ROUTE=context-menu source "$(dirname "$0")/../paste.sh"
