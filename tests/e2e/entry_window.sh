#!/usr/bin/env bash
# Two new users start Quillet without a chat file: one creates a chat in an
# empty shared folder through the entry window, the other (another Wine
# prefix, another machine, its own copy of the folder kept in step by
# Syncthing) opens it there, and the two talk.
# Needs DISPLAY (run inside xvfb-run).   entry_window.sh BIN_DIR REPORT.xml
set -u
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../../scripts/lib.sh"
source "$here/syncthing.sh"
source "$here/report.sh"; report_suite EntryWindow
bin=$(realpath "$1")
report=$2
work=$(mktemp -d /tmp/quillet-entry.XXXXXX)
export LC_ALL=ru_RU.UTF-8
shared="$work/A/Чат с семьёй"
copy="$work/B/Чат с семьёй"
mkdir -p "$shared" "$copy"
syncthing_start "$work" quillet-entry "$shared" "$copy" || record SyncthingStarts 1 "Syncthing did not start"

for name in A B; do
  wine_prefix "$work/prefix-$name"
  "$WINE64" reg add 'HKCU\Software\Greyfen Works\Quillet' /v "Send on Enter" /t REG_DWORD /d 1 /f >/dev/null 2>&1
done
on() {  # on NAME program-arguments...
  local name=$1; shift
  WINEPREFIX="$work/prefix-$name" WINEDEBUG=-all timeout 90 "$WINE64" "$@" </dev/null
}
start() { WINEPREFIX="$work/prefix-$1" WINEDEBUG=-all "$WINE64" "$bin/Quillet.exe" </dev/null >/dev/null 2>&1 & }

folder=$(winepath_of "$shared")
folder_b=$(winepath_of "$copy")
start A
on A "$bin/quillet_driver.exe" create "$folder\\Беседа" && on A "$bin/quillet_driver.exe" wait "" 60 >/dev/null
[ -f "$shared/Беседа.ZPMFChat" ] && [ ! -s "$shared/Беседа.ZPMFChat" ]
record CreateInAnEmptyFolder $? "no empty Беседа.ZPMFChat in the shared folder: $(ls -A "$shared")"

for _ in $(seq 150); do [ -e "$copy/Беседа.ZPMFChat" ] && break; sleep 0.2; done
start B
on B "$bin/quillet_driver.exe" open "$folder_b\\Беседа.ZPMFChat" && on B "$bin/quillet_driver.exe" wait "" 60 >/dev/null
record OpenTheSameChat $? "B's chat window did not open"

on A "$bin/quillet_driver.exe" send "Привет из окна входа" && on B "$bin/quillet_driver.exe" wait "Привет из окна входа" 30
record BReadsA $? "B did not show A's message"
on B "$bin/quillet_driver.exe" send "И тебе привет" && on A "$bin/quillet_driver.exe" wait "И тебе привет" 30
record AReadsB $? "A did not show B's message"

if [ -n "${QUILLET_ENTRY_SHOT:-}" ]; then import -window root "$QUILLET_ENTRY_SHOT" 2>/dev/null; fi
for name in A B; do on "$name" "$bin/quillet_driver.exe" exit >/dev/null 2>&1; done
syncthing_stop
for name in A B; do WINEPREFIX="$work/prefix-$name" "$WINESERVER" -k >/dev/null 2>&1; done
sleep 1
wine_remove "$work"

report_write "$report"
