# The number pasted with middle-click.
E2E_PASTE_ROUTE=middle-click source "$(dirname "$0")/../paste.sh"
