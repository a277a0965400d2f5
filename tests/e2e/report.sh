# Results of a scenario script as a GoogleTest-style XML report, counted with
# the other suites by test.sh. Source this file, then:
#   report_suite SUITE            the suite's name (before the first record)
#   record NAME STATUS MESSAGE    one case; STATUS 0 is a pass
#   report_write FILE             writes the report
REPORT_SUITE=Scenario
REPORT_RESULTS=()
report_suite() { REPORT_SUITE=$1; }
record() {
  REPORT_RESULTS+=("$1|$2|$3")
  if [ "$2" -eq 0 ]; then echo "[       OK ] $REPORT_SUITE.$1"; else echo "[  FAILED  ] $REPORT_SUITE.$1: $3"; fi
}
report_write() {
  local r name status message
  {
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo "<testsuites name=\"$REPORT_SUITE\"><testsuite name=\"$REPORT_SUITE\">"
    for r in "${REPORT_RESULTS[@]}"; do
      IFS='|' read -r name status message <<< "$r"
      if [ "$status" -eq 0 ]; then
        echo "  <testcase name=\"$name\" status=\"run\" result=\"completed\"/>"
      else
        message=$(printf '%s' "$message" | sed 's/&/\&amp;/g; s/</\&lt;/g; s/>/\&gt;/g; s/"/\&quot;/g')
        echo "  <testcase name=\"$name\" status=\"run\" result=\"completed\"><failure message=\"$message\"/></testcase>"
      fi
    done
    echo "</testsuite></testsuites>"
  } > "$1"
}
