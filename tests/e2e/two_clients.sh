#!/usr/bin/env bash
# Two machines talk: two Quillet instances, each in its own Wine prefix with
# its own copy of the chat folder, kept in step by a small synchronisation
# loop as a sync service would. Needs DISPLAY (run inside xvfb-run).
# Usage: two_clients.sh BIN_DIR REPORT.xml
set -u
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../../scripts/lib.sh"
bin=$1
report=$2
work=$(mktemp -d /tmp/quillet-e2e.XXXXXX)
export LC_ALL=ru_RU.UTF-8

results=()
record() {  # name, status (0 = passed), message
  results+=("$1|$2|$3")
  if [ "$2" -eq 0 ]; then echo "[       OK ] TwoClients.$1"; else echo "[  FAILED  ] TwoClients.$1: $3"; fi
}

# Copies new files each way, as a sync service does (attributes stay local).
sync_loop() {
  while :; do
    for from in "$work/A" "$work/B"; do
      to="$work/B"; [ "$from" = "$work/B" ] && to="$work/A"
      for f in "$from"/*; do
        name=$(basename "$f")
        case "$name" in .~*|\*) continue ;; esac
        [ -e "$to/$name" ] || cp "$f" "$to/.sync-$name" 2>/dev/null && mv -n "$to/.sync-$name" "$to/$name" 2>/dev/null
      done
    done
    sleep 0.2
  done
}

# machine NAME NICK XML: a prefix with its settings, and Quillet started on its copy of the chat.
machine() {
  local name=$1 nick=$2 xml=$3
  mkdir -p "$work/$name"
  : > "$work/$name/Беседа.ZPMFChat"
  local chat; chat=$(winepath_of "$work/$name/Беседа.ZPMFChat")
  (
    wine_prefix "$work/prefix-$name"
    key='HKCU\Software\Greyfen Works\Quillet'
    "$WINE64" reg add "$key" /v "Send on Enter" /t REG_DWORD /d 1 /f >/dev/null 2>&1
    "$WINE64" reg add "$key\\Debug" /v "Send XML Messages" /t REG_DWORD /d "$xml" /f >/dev/null 2>&1
    "$WINE64" reg add "$key\\Debug" /v "Show Debug Messages" /t REG_DWORD /d 1 /f >/dev/null 2>&1
    "$WINE64" reg add "$key\\Nicks" /v "$chat" /d "$nick" /f >/dev/null 2>&1
    "$WINE64" "$bin/Quillet.exe" "$chat" </dev/null >/dev/null 2>&1 &
  )
}

on() {  # on NAME driver-arguments...: runs the driver in that machine's prefix
  local name=$1; shift
  WINEPREFIX="$work/prefix-$name" WINEDEBUG=-all timeout 90 "$WINE64" "$bin/quillet_driver.exe" "$@" </dev/null
}

mkdir -p "$work/A" "$work/B"
sync_loop & syncer=$!
machine A "Аня" 0
machine B "Боря" 1

on A send "Привет от Ани"; sent=$?
on B wait "Привет от Ани" 30; b_got=$?
on A wait "Привет от Ани" 30; a_own=$?
record SendsBinary $((sent + b_got + a_own)) "Ann's binary message did not reach both panes"

on B send "Ответ Бори"; sent=$?
on A wait "Ответ Бори" 30; a_got=$?
on B wait "Ответ Бори" 30; b_own=$?
record SendsXml $((sent + a_got + b_own)) "Borya's XML message did not reach both panes"
if [ $((sent + a_got + b_own)) -ne 0 ]; then ls -la "$work/A" "$work/B"; on A pane; on B pane; fi

formats=$(ls "$work/A" | sed -n 's/.*\.\(ZPMF\|ZXMF\)$/\1/p' | sort | tr '\n' ' ')
[ "$formats" = "ZPMF ZXMF " ]; record OneFileOfEachFormat $? "message files: $formats"

on A exit; a_exit=$?
on B exit; b_exit=$?
record BothEndFromTheTrayMenu $((a_exit + b_exit)) "a client did not end"
kill "$syncer" 2>/dev/null

# In each log: one's own title in "my" green, the other's in "other" purple.
colours() {
  local log; log=$(find "$work/prefix-$1/drive_c/users" -path '*Greyfen Works/Quillet/Logs/*' -name '*.RTF' | head -1)
  [ -n "$log" ] || { echo "no log"; return; }
  python3 "$here/rtf_title_colours.py" "$log" "Аня  (" "Боря  (" | sed 's/  (.*//' | tr '\t\n' ': '
}
a=$(colours A); b=$(colours B)
[ "$a" = "008000:Аня 8000FF:Боря " ]; record OwnAndOtherInTheirColoursOnA $? "A's log: $a"
[ "$b" = "8000FF:Аня 008000:Боря " ]; record OwnAndOtherInTheirColoursOnB $? "B's log: $b"

for name in A B; do WINEPREFIX="$work/prefix-$name" "$WINESERVER" -k >/dev/null 2>&1; done
sleep 1
rm -rf "$work"

# A GoogleTest-style report, counted with the other suites.
{
  echo '<?xml version="1.0" encoding="UTF-8"?>'
  echo "<testsuites name=\"two_clients\"><testsuite name=\"TwoClients\">"
  for r in "${results[@]}"; do
    IFS='|' read -r name status message <<< "$r"
    if [ "$status" -eq 0 ]; then
      echo "  <testcase name=\"$name\" status=\"run\" result=\"completed\"/>"
    else
      echo "  <testcase name=\"$name\" status=\"run\" result=\"completed\"><failure message=\"$(printf '%s' "$message" | sed 's/&/\&amp;/g; s/</\&lt;/g; s/"/\&quot;/g')\"/></testcase>"
    fi
  done
  echo "</testsuite></testsuites>"
} > "$report"
