#!/usr/bin/env bash
# Runs every fuzz target of a sanitized build: replays its seed corpus, then
# fuzzes for a bounded time. Writes one report per target (a test case that
# fails on any finding) and leaves findings under REPORTS/fuzz-findings.
#   fuzz/run-ci.sh BIN_DIR REPORTS_DIR [SECONDS_EACH]
set -u
here="$(cd "$(dirname "$0")" && pwd)"
bin=$1 reports=$2 seconds=${3:-20}
findings="$reports/fuzz-findings"
mkdir -p "$findings"
status=0
for exe in "$bin"/fuzz_*; do
  [ -x "$exe" ] || continue
  name=$(basename "$exe"); target=${name#fuzz_}
  work=$(mktemp -d)
  start=$(date +%s)
  # New inputs go to a scratch folder; the committed seeds are only read.
  "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=512 \
    -artifact_prefix="$findings/$target-" -print_final_stats=1 \
    "$work" "$here/corpus/$target" > "$reports/$name.log" 2>&1
  rc=$?
  took=$(( $(date +%s) - start ))
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$reports/$name.log" | grep -o '[0-9]*$')
  echo "  $target: ${runs:-?} executions in ${took}s, exit $rc"
  {
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo "<testsuites><testsuite name=\"fuzz\" tests=\"1\"><testcase name=\"$target\" classname=\"fuzz\" time=\"$took\">"
    if [ "$rc" -ne 0 ]; then
      echo "<failure message=\"finding, see $name.log\"/>"
      status=1
    fi
    echo "</testcase></testsuite></testsuites>"
  } > "$reports/$name.xml"
  rm -rf "$work"
done
exit $status
