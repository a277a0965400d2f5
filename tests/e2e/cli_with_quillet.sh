#!/usr/bin/env bash
# quillet-cli on Linux and Quillet under Wine in one chat. Each side has its
# own copy of the chat folder, kept in step by two Syncthing instances on the
# loopback address; the Windows build of quillet-cli takes part from inside Quillet's
# Wine prefix too. Needs DISPLAY (run inside xvfb-run).
# Usage: cli_with_quillet.sh WIN_BIN_DIR WINDOWS_CLI.exe LINUX_CLI REPORT.xml
set -u
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../../scripts/lib.sh"
source "$here/syncthing.sh"
bin=$(realpath "$1")
wincli=$2
cli=$3
report=$4
work=$(mktemp -d /tmp/quillet-cli-e2e.XXXXXX)
export LC_ALL=ru_RU.UTF-8
# The Linux side's settings, follow state and folder claims stay in here.
export XDG_CONFIG_HOME="$work/linux/config" XDG_STATE_HOME="$work/linux/state" XDG_RUNTIME_DIR="$work/linux"
mkdir -p "$work/linux"

source "$here/report.sh"; report_suite CliWithQuillet

# json_count FILE TEXT OWN: how many JSON lines of FILE carry TEXT with "own" OWN.
json_count() {
  python3 - "$@" <<'EOF'
import json, sys
path, text, own = sys.argv[1], sys.argv[2], sys.argv[3] == "true"
n = 0
for line in open(path, encoding="utf-8"):
    if line.strip():
        m = json.loads(line)
        n += m["text"] == text and m["own"] == own
print(n)
EOF
}

# wait_for_json FILE TEXT OWN SECONDS: until FILE has such a line.
wait_for_json() {
  local i
  for ((i = 0; i < $4 * 5; i++)); do
    [ "$(json_count "$1" "$2" "$3")" -ge 1 ] && return 0
    sleep 0.2
  done
  return 1
}

on_wine() { WINEPREFIX="$work/prefix" WINEDEBUG=-all timeout 90 "$WINE64" "$@" </dev/null; }
driver() { on_wine "$bin/quillet_driver.exe" "$@"; }

W="$work/Windows"; L="$work/Linux"
mkdir -p "$W" "$L"
: > "$W/Беседа.ZPMFChat"
wchat=$(winepath_of "$W/Беседа.ZPMFChat")
syncthing_start "$work" quillet-chat "$W" "$L"; started=$?
[ -e "$L/Беседа.ZPMFChat" ]; reached=$?
record SyncthingCarriesTheChatFile $((started + reached)) "the chat file did not reach the Linux copy (start: $started)"

(
  wine_prefix "$work/prefix"
  key='HKCU\Software\Greyfen Works\Quillet'
  "$WINE64" reg add "$key" /v "Send on Enter" /t REG_DWORD /d 1 /f >/dev/null 2>&1
  "$WINE64" reg add "$key\\Nicks" /v "$wchat" /d "Аня" /f >/dev/null 2>&1
  "$WINE64" "$bin/Quillet.exe" "$wchat" </dev/null >/dev/null 2>&1 &
)

"$cli" follow --json "$L" > "$work/follow.out" 2> "$work/follow.err" &
follow=$!

"$cli" send --name "Лёва" "$L/Беседа.ZPMFChat" "Привет из терминала <&>" >/dev/null; sent=$?
driver wait "Привет из терминала <&>" 60; shown=$?
record LinuxCliToQuillet $((sent + shown)) "the Linux message did not reach Quillet's pane"

# A file from the terminal: Quillet shows its name as a link; follow tells where it lies.
printf 'молоко, хлеб\n' > "$work/Список покупок.txt"
"$cli" send --name "Лёва" --file "$work/Список покупок.txt" "$L/Беседа.ZPMFChat" "на выходные" >/dev/null; sent=$?
driver haslink "Список покупок.txt" 60; linked=$?
for _ in $(seq 50); do grep -q '"attachment":{"name":"Список покупок.txt"' "$work/follow.out" && break; sleep 0.2; done
grep -q '"attachment":{"name":"Список покупок.txt","size":23,"path":"'"$L"'/Файлы/[^"]*Список покупок.txt","arrived":true}' \
  "$work/follow.out"; told=$?
record LinuxCliFileShowsAsALinkInQuillet $((sent + linked + told)) "sent $sent, link in Quillet $linked, follow's attachment $told"

driver send "Ответ из окна"; sent=$?
wait_for_json "$work/follow.out" "Ответ из окна" false 30; got=$?
record QuilletToLinuxFollow $((sent + got)) "follow did not print Quillet's message: $(cat "$work/follow.out")"

wait_for_json "$work/follow.out" "Привет из терминала <&>" true 10
record FollowMarksItsOwn $? "follow did not print its own message as own"

out=$(on_wine "$wincli" send "$wchat" "Из консоли Windows"); sent=$?
case "$out" in Z:*.ZPMF) ;; *) sent=1 ;; esac
driver wait "Из консоли Windows" 30; shown=$?
wait_for_json "$work/follow.out" "Из консоли Windows" false 30; got=$?
record WindowsCliSends $((sent + shown + got)) "the Windows quillet-cli's message ($out) did not reach both sides"

# The Linux copy holds everything; read from Windows, Quillet's messages are its own.
on_wine "$wincli" read --json "$(winepath_of "$L")" > "$work/windows-read.out" 2>&1; status=$?
[ "$status" -eq 0 ] && [ "$(json_count "$work/windows-read.out" "Ответ из окна" true)" -eq 1 ] &&
  [ "$(json_count "$work/windows-read.out" "Привет из терминала <&>" false)" -eq 1 ]
record WindowsCliReadsJson $? "read --json under Wine: $(cat "$work/windows-read.out")"

kill -INT "$follow"; wait "$follow"; status=$?
[ "$status" -eq 130 ]
record FollowEndsOnCtrlC $? "follow did not end as Ctrl+C ends a program (status $status): $(cat "$work/follow.err")"
for text in "Привет из терминала <&>" "Ответ из окна" "Из консоли Windows"; do
  n=$(( $(json_count "$work/follow.out" "$text" true) + $(json_count "$work/follow.out" "$text" false) ))
  [ "$n" -eq 1 ] || { once=1; echo "printed $n times: $text"; }
done
record FollowPrintsEachOnce "${once:-0}" "a message was printed more or less than once"

# Quillet holds its chat folder: the Windows follow is refused there, as a second Quillet would be.
msg=$(on_wine "$wincli" follow "$wchat" 2>&1); status=$?
[ "$status" -eq 5 ] && case "$msg" in *"another Quillet or quillet-cli follow on this machine has this chat folder"*) true ;; *) false ;; esac
record WindowsFollowRespectsQuilletsClaim $? "status $status: $msg"

# The Windows follow on the Linux copy: prints what is there, ends on Ctrl+C
# with status 130, and hides what it has printed, as Quillet does on Windows.
WINEPREFIX="$work/prefix" WINEDEBUG=-all timeout 120 "$WINE64" "$wincli" follow --json "$(winepath_of "$L")" \
  > "$work/windows-follow.out" 2>&1 </dev/null &
follower=$!
wait_for_json "$work/windows-follow.out" "Из консоли Windows" true 30; got=$?
# One Ctrl+C, to the Windows process alone, as a terminal sends it. The process
# names itself by its Windows or its Linux path, by architecture; timeout's own
# command line matches too, and signalled it would pass the signal on twice more
# (one CI run ended with the process killed mid-exit, status 137).
for pid in $(pgrep -f 'quillet-cli\.exe follow --json'); do
  [ "$pid" = "$follower" ] || kill -INT "$pid"
done
wait "$follower"; ended=$?
# Every message file of the Linux copy now carries the hidden attribute (Wine keeps it in user.DOSATTRIB).
hidden=$(python3 - "$L" <<'PY'
import os, sys
folder = sys.argv[1]
names = [n for n in os.listdir(folder) if n.upper().endswith((".ZPMF", ".ZXMF"))]
def hidden(name):
    try:
        return int(os.getxattr(os.path.join(folder, name), "user.DOSATTRIB"), 0) & 2 != 0
    except OSError:
        return False
print("all" if names and all(hidden(n) for n in names) else "not all")
PY
)
[ "$got" -eq 0 ] && [ "$ended" -eq 130 ] && [ "$hidden" = all ]
record WindowsCliFollows $? "printed: $got, ended: $ended, files hidden: $hidden: $(cat "$work/windows-follow.out")"

driver exit; quit=$?
record QuilletEnds "$quit" "Quillet did not end"
syncthing_stop
WINEPREFIX="$work/prefix" "$WINESERVER" -k >/dev/null 2>&1
sleep 1
wine_remove "$work"

report_write "$report"
