# The store server stops between lookup and save: message, end, photo kept.
source "$(dirname "$0")/../server-stopped.sh"
