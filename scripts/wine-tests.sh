#!/usr/bin/env bash
# Runs every Windows test program under Wine; called inside xvfb-run by test.sh.
# Usage: wine-tests.sh REPORT_DIR TEST.exe...
set -u
source "$(dirname "$0")/lib.sh"
reports=$(cd "$1" && pwd); shift
prefix=$(mktemp -d /tmp/quillet-wine.XXXXXX)
trap 'wine_stop; rm -rf "$prefix"' EXIT
wine_prefix "$prefix"
status=0
for exe in "$@"; do
  name=$(basename "$exe" .exe)
  say "Wine: $name"
  # Russian Windows, as our users run it (code page 1251, ru-RU formats).
  LC_ALL=ru_RU.UTF-8 timeout 1200 "$WINE64" "$exe" --gtest_brief=1 \
      --gtest_output="xml:$(winepath_of "$reports/$name.xml")" </dev/null || status=1
done
exit $status
