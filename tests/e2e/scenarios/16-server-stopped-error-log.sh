# The same, and the failure is in the error log.
E2E_CHECK_LOG=1 source "$(dirname "$0")/../server-stopped.sh"
