#!/usr/bin/env bash
# Runs every Windows test program under Wine; called inside xvfb-run by test.sh.
# Usage: wine-tests.sh REPORT_DIR [--suffix=S] TEST.exe... [--suffix=S TEST.exe...]
# Both architectures share the prefix; --suffix=S names the reports of the
# programs after it NAME + S (the i686 ones "_i686").
set -u
source "$(dirname "$0")/lib.sh"
reports=$(cd "$1" && pwd); shift
prefix=$(mktemp -d /tmp/quillet-wine.XXXXXX)
trap 'wine_stop; wine_remove "$prefix"' EXIT
wine_prefix "$prefix"
status=0
suffix=
for exe in "$@"; do
  case "$exe" in --suffix=*) suffix=${exe#--suffix=}; continue ;; esac
  name=$(basename "$exe" .exe)$suffix
  say "Wine: $name"
  # Russian Windows, as our users run it (code page 1251, ru-RU formats).
  LC_ALL=ru_RU.UTF-8 timeout 1200 "$WINE64" "$exe" --gtest_brief=1 \
      --gtest_output="xml:$(winepath_of "$reports/$name.xml")" </dev/null || status=1
done
exit $status
