#!/usr/bin/env bash
# For development: runs one Windows program under Wine in Xvfb, in a reusable
# prefix (/tmp/quillet-dev-wine unless DEV_WINEPREFIX says otherwise).
# Usage: scripts/wine-dev.sh PROGRAM.exe [arguments...]
set -u
source "$(dirname "$0")/lib.sh"
exec xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  source "$(dirname "$0")/lib.sh"
  wine_prefix "${DEV_WINEPREFIX:-/tmp/quillet-dev-wine}"
  LC_ALL=ru_RU.UTF-8 TZ=Europe/Moscow timeout 900 "$WINE64" "$@" </dev/null
  status=$?
  wine_stop
  exit $status
' "$0" "$@"
