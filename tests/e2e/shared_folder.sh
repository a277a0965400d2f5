#!/usr/bin/env bash
# Clients of a file server: three Quillets, each in its own Wine prefix, see one
# physical folder as their drive N:, so that every file (and its hidden
# attribute) is one for all, as on a share. In the ordinary mode the first
# reader hides each message for everyone; in the shared-folder mode, ticked in
# the chat settings or found by itself on a drive the system reports as remote,
# every message reaches every participant, once.
# Needs DISPLAY (run inside xvfb-run).
# Usage: shared_folder.sh BIN_DIR REPORT.xml
set -u
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../../scripts/lib.sh"
source "$here/report.sh"
bin=$(realpath "$1")
report=$2
work=$(mktemp -d /tmp/quillet-shared.XXXXXX)
share="$work/share"
export LC_ALL=ru_RU.UTF-8
chat='N:\Беседа.ZPMFChat'
key='HKCU\Software\Greyfen Works\Quillet'
guid_a='{A0A0A0A0-0000-4000-8000-00000000000A}'
broken_text="Не удалось обработать полученное сообщение"

report_suite SharedFolder

in_prefix() { local name=$1; shift; WINEPREFIX="$work/prefix-$name" WINEDEBUG=-all "$@"; }

# prefix NAME NICK XML [GUID]: a Wine prefix whose drive N: is the share.
prefix() {
  local name=$1 nick=$2 xml=$3 guid=${4:-}
  wine_prefix "$work/prefix-$name"
  ln -sfn "$share" "$WINEPREFIX/dosdevices/n:"
  "$WINE64" reg add "$key" /v "Send on Enter" /t REG_DWORD /d 1 /f >/dev/null 2>&1
  "$WINE64" reg add "$key\\Debug" /v "Send XML Messages" /t REG_DWORD /d "$xml" /f >/dev/null 2>&1
  "$WINE64" reg add "$key\\Nicks" /v "$chat" /d "$nick" /f >/dev/null 2>&1
  [ -z "$guid" ] || "$WINE64" reg add "$key" /v "My GUID" /d "$guid" /f >/dev/null 2>&1
}

# network NAME: N: reported as a network drive once that prefix's Wine starts again.
network() {
  in_prefix "$1" "$WINE64" reg add 'HKLM\Software\Wine\Drives' /v n: /d network /f >/dev/null 2>&1
  in_prefix "$1" "$WINESERVER" -k; in_prefix "$1" "$WINESERVER" -w
}

# setting NAME SECTION DWORD: a per-chat value, read when Quillet next starts.
setting() { in_prefix "$1" "$WINE64" reg add "$key\\$2" /v "$chat" /t REG_DWORD /d "$3" /f >/dev/null 2>&1; }

start() { in_prefix "$1" "$WINE64" "$bin/Quillet.exe" "$chat" </dev/null >/dev/null 2>&1 & }
on() { local name=$1; shift; in_prefix "$name" timeout 90 "$WINE64" "$bin/quillet_driver.exe" "$@" </dev/null; }
ends() { on "$1" exit >/dev/null; }
# times NAME TEXT: how often the pane shows TEXT.
times() { on "$1" pane | grep -o -F -- "$2" | wc -l; }

# message DAYS_AGO GUID TEXT: a binary message file written as another program would, sent that long ago.
message() {
  python3 - "$share" "$@" <<'EOF'
import datetime, sys, uuid
folder, days, guid, text = sys.argv[1], float(sys.argv[2]), sys.argv[3], sys.argv[4]
t = datetime.datetime.utcnow() - datetime.timedelta(days=days)
ms = t.microsecond // 1000
fields = [str(v) for v in (t.year, t.month, t.day, t.hour, t.minute, t.second, ms)] + ["Извне", text, guid]
name = "%s-%03d {%s}.ZPMF" % (t.strftime("%Y-%m-%d %H-%M-%S"), ms, str(uuid.uuid4()).upper())
open(folder + "/" + name, "wb").write(b"\xef\xbb\xbf" + "\0".join(fields).encode())
print(folder + "/" + name)
EOF
}

# hidden_files: how many message files in the share carry the hidden attribute.
hidden_files() {
  python3 - "$share" <<'EOF'
import os, sys
n = 0
for name in os.listdir(sys.argv[1]):
    if name.upper().endswith((".ZPMF", ".ZXMF", ".ZTMF")):
        try:
            n += int(os.getxattr(os.path.join(sys.argv[1], name), "user.DOSATTRIB").split(b"\0")[0], 0) & 2 != 0
        except OSError:
            pass
print(n)
EOF
}

mkdir -p "$share"
: > "$share/Беседа.ZPMFChat"
prefix A "Аня" 0 "$guid_a" & pa=$!
prefix B "Боря" 1 & pb=$!
prefix C "Вика" 0 & pc=$!
wait "$pa" "$pb" "$pc"

# --- The ordinary mode: Ann's own Quillet reads her messages first and hides them for all
start A
on A send "Обычный режим 1" && on A send "Обычный режим 2" && on A wait "Обычный режим 2" 30; sent=$?
for _ in $(seq 50); do [ "$(hidden_files)" -eq 2 ] && break; sleep 0.2; done
start B
on B wait "Обычный режим 1" 8 >/dev/null 2>&1; b_got=$?
[ "$sent" -eq 0 ] && [ "$(hidden_files)" -eq 2 ] && [ "$b_got" -ne 0 ]
record OrdinaryModeFirstReaderHidesForAll $? "sent $sent, hidden $(hidden_files) of 2, B shows them: $((1 - (b_got != 0)))"

# --- The check box at both: what was hidden still reaches B, and from now on every message both
on A shared on && on B shared on; ticked=$?
on B wait "Обычный режим 2" 15; b_hidden=$?
record AFileAnOrdinaryClientHidReachesASharedOne $((ticked + b_hidden)) "ticked $ticked, B shows the hidden one: $b_hidden"
on A send "Флажок, Аня" && on B send "Флажок, Боря"; sent=$?
on A wait "Флажок, Боря" 15 && on B wait "Флажок, Аня" 15 && on A wait "Флажок, Аня" 15 && on B wait "Флажок, Боря" 15
both=$?
once="$(times A "Обычный режим 1") $(times A "Флажок, Аня") $(times B "Флажок, Аня") $(times B "Флажок, Боря")"
formats=$(cd "$share" && ls | sed -n 's/.*\.\(ZPMF\|ZXMF\)$/\1/p' | sort -u | tr '\n' ' ')
[ $((sent + both)) -eq 0 ] && [ "$once" = "1 1 1 1" ] && [ "$(hidden_files)" -eq 2 ] && [ "$formats" = "ZPMF ZXMF " ]
record CheckBoxBringsEveryMessageToBothOnce $? \
  "sent $sent, both panes $both, shown times: $once, hidden files $(hidden_files) (2), formats: $formats"

# --- Found by itself on a network drive, the check box cleared again ---------------------------
ends A; ends B
for name in A B; do setting "$name" "Notification Mode\\Shared Folder" 0; done
setting A "Notification Mode\\Retention Days" 1
network A & network B & network C & wait
# Left while nobody ran: Ann's own file three days old, another's as old, a broken file.
old_own=$(message 3 "$guid_a" "Старое своё Ани")
old_other=$(message 3 "{B0B0B0B0-0000-4000-8000-00000000000B}" "Старое чужое")
broken="$share/2024-01-01 00-00-00-000 {BAD}.ZPMF"
printf 'не запись' > "$broken"; touch -d '2 days ago' "$broken"
start A; start B
on A wait "Старое чужое" 30 && on B wait "Старое чужое" 30; came=$?
twice="$(times A "Флажок") $(times B "Флажок") $(times A "Обычный режим") $(times B "Обычный режим")"
[ "$came" -eq 0 ] && [ "$twice" = "0 0 0 0" ]
record ARestartShowsNothingTwice $? "the new one came: $came; old ones shown again: $twice"
on A send "Сеть, Аня" && on B send "Сеть, Боря"; sent=$?
on A wait "Сеть, Боря" 15 && on B wait "Сеть, Аня" 15; both=$?
[ $((sent + both)) -eq 0 ] && [ "$(hidden_files)" -eq 2 ]
record ANetworkDriveTurnsTheModeOnByItself $? "sent $sent, both panes $both, hidden files $(hidden_files) (2)"
for _ in $(seq 50); do [ -e "$old_own" ] || break; sleep 0.2; done
[ ! -e "$old_own" ] && [ -e "$old_other" ] && [ -e "$broken" ] && [ "$(hidden_files)" -eq 2 ]
record OwnFilesGoAfterTheRetentionOthersNever $? \
  "own old file there: $([ -e "$old_own" ] && echo yes || echo no), another's: $([ -e "$old_other" ] && echo yes || echo no)"

# --- A late joiner, then three clients -------------------------------------------------------
start C
on C wait "Сеть, Боря" 30; c_came=$?
backlog=""
for text in "Обычный режим 1" "Обычный режим 2" "Флажок, Аня" "Флажок, Боря" "Старое чужое" "Сеть, Аня" "Сеть, Боря"; do
  backlog="$backlog$(times C "$text")"
done
[ "$c_came" -eq 0 ] && [ "$backlog" = "1111111" ]
record ALateJoinerSeesTheBacklogOnce $? "shown times of the 7 earlier messages: $backlog"
on C send "Вика всем" && on A send "Аня всем"; sent=$?
on A wait "Вика всем" 15 && on B wait "Вика всем" 15 && on B wait "Аня всем" 15 && on C wait "Аня всем" 15; all=$?
record EveryMessageReachesEveryOtherOfThree $((sent + all)) "sent $sent, panes $all"
told="$(times A "$broken_text") $(times B "$broken_text") $(times C "$broken_text")"
ends C; start C
on C wait "Аня всем" 3 >/dev/null 2>&1; c_again=$?
sleep 2
again="$(times C "$broken_text")$(times C "Вика всем")"
[ "$told" = "1 1 1" ] && [ "$again" = "00" ] && [ "$c_again" -ne 0 ]
record ABrokenFileIsToldOncePerClient $? "told on A, B, C: $told; after C's restart: $again"

ends A; ends B; ends C
for name in A B C; do in_prefix "$name" "$WINESERVER" -k >/dev/null 2>&1; done
sleep 1
wine_remove "$work"
report_write "$report"
