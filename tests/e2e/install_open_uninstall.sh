#!/usr/bin/env bash
# What a Windows user does: the installer run silently in a fresh Wine prefix, a chat file opened through the shell as a double-click does, the
# installer run again over the running program (an upgrade in place), and the
# silent uninstaller. Writes a GoogleTest-style report.
# Needs DISPLAY (run inside xvfb-run).
# Usage: install_open_uninstall.sh SETUP.exe BIN_DIR REPORT.xml
# BIN_DIR holds the programs the installer was made from, and quillet_driver.exe.
# The shipping installer is 32-bit; the x86_64 one made from the same script
# stands in for it where 32-bit programs cannot run.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../../scripts/lib.sh"
setup=$(realpath "$1")
bin=$(realpath "$2")
report=$3
work=$(mktemp -d /tmp/quillet-install.XXXXXX)
export LC_ALL=ru_RU.UTF-8
trap 'wine_stop; rm -rf "$work"' EXIT

source "$here/report.sh"; report_suite Install

# regget KEY [VALUE]: the data of a value (the default one without VALUE), empty
# when there is none. reg.exe writes the console's code page, 866 under ru-RU.
regget() {
  local which=(/ve); [ $# -gt 1 ] && which=(/v "$2")
  "$WINE64" reg query "$1" "${which[@]}" "$view" 2>/dev/null </dev/null | iconv -f CP866 -t UTF-8 |
    sed -n 's/^ *.*  *REG_[A-Z_]*  *//p' | tr -d '\r'
}
haskey() { "$WINE64" reg query "$1" "$view" >/dev/null 2>&1 </dev/null; }

# expect_eq NAME WANT GOT...: one check of many, its failure text naming all.
problems=()
want() { [ "$2" = "$3" ] || problems+=("$1: «$3», expected «$2»"); }
verdict() { record "$1" "${#problems[@]}" "$(IFS=';'; echo "${problems[*]}")"; problems=(); }

driver() { timeout "${DRIVER_TIMEOUT:-90}" "$WINE64" "$bin/quillet_driver.exe" "$@" </dev/null; }

# Runs the installer or uninstaller silently, as Windows users script it.
# An NSIS uninstaller hands over to a copy of itself in %TEMP% and returns at
# once; wait for that copy too.
silently() {
  "$WINE64" "$@" /S </dev/null >/dev/null 2>&1; local status=$?
  for _ in $(seq 240); do pgrep -f '~nsu' >/dev/null || break; sleep 0.25; done
  return $status
}

# A 32-bit installer on 64-bit Windows: Program Files (x86) and the 32-bit registry view.
machine=$(od -An -tx2 -j$(( $(od -An -tu4 -j60 -N4 "$bin/Quillet.exe") + 4 )) -N2 "$bin/Quillet.exe" | tr -d ' ')
if [ "$machine" = 014c ]; then programs='Program Files (x86)'; view=/reg:32
else programs='Program Files'; view=/reg:64; fi

wine_prefix "$work/prefix"
instdir="$WINEPREFIX/drive_c/$programs/Quillet"
win_instdir="C:\\$programs\\Quillet"
links="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
version=$(basename "$setup" .exe); version=${version#Quillet-Setup-}; version=${version%-x86_64}
settings='HKCU\Software\Greyfen Works\Quillet'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillet'
flickon_clsid='{20735A91-B97C-4AF1-9370-CA8D7BF0FFB9}'

chat_dir="$work/Общий чат"
chat="$chat_dir/Семья.ZPMFChat"
win_chat=$(winepath_of "$chat")
mkdir -p "$chat_dir"; : > "$chat"
note="Записка до установки"
printf '%s' "$note" > "$chat_dir/Записка.ZTMF"

# --- Silent install ------------------------------------------------------------
silently "$setup"; status=$?
want "exit code" 0 "$status"
for f in Quillet.exe Flickon0100.dll Quillet.ReadMe.html; do
  cmp -s "$bin/$f" "$instdir/$f" || problems+=("$f is not the built one")
done
[ -f "$instdir/Uninstall.exe" ] || problems+=("no Uninstall.exe")
[ -f "$links/Quillet.lnk" ] || problems+=("no Start-menu shortcut")
verdict SilentInstallPutsTheFilesInProgramFiles

want "extension" "Quillet.Chat" "$(regget 'HKCR\.ZPMFChat')"
want "type name" "Файл чата Quillet" "$(regget 'HKCR\Quillet.Chat')"
want "icon" "$win_instdir\\Quillet.exe,0" "$(regget 'HKCR\Quillet.Chat\DefaultIcon')"
want "open command" "\"$win_instdir\\Quillet.exe\" \"%1\"" "$(regget 'HKCR\Quillet.Chat\shell\open\command')"
verdict ChatFileTypeIsRegistered

want "control library" "$win_instdir\\Flickon0100.dll" "$(regget "HKCR\\CLSID\\$flickon_clsid\\InprocServer32")"
want "ProgID" "$flickon_clsid" "$(regget 'HKCR\Flickon0100.torFlickon\CLSID')"
verdict ControlLibraryIsRegistered

want "name" "Quillet" "$(regget "$uninstall_key" DisplayName)"
want "version" "$version" "$(regget "$uninstall_key" DisplayVersion)"
want "publisher" "Greyfen Works" "$(regget "$uninstall_key" Publisher)"
want "icon" "$win_instdir\\Quillet.exe,0" "$(regget "$uninstall_key" DisplayIcon)"
want "uninstall" "\"$win_instdir\\Uninstall.exe\"" "$(regget "$uninstall_key" UninstallString)"
verdict UninstallEntryIsListed

# --- A double-click on the chat file ---------------------------------------------
"$WINE64" start "$win_chat" </dev/null >/dev/null 2>&1
driver wait "$note" 60 >/dev/null; status=$?
record ShellOpensTheChatFileInQuillet "$status" "the installed Quillet did not show the chat's note"

# --- Installing again over the running program -------------------------------------
silently "$setup"; status=$?
want "exit code" 0 "$status"
DRIVER_TIMEOUT=10 driver pane >/dev/null 2>&1 && problems+=("Quillet still runs")
# Only an orderly exit saves the window's place: a killed Quillet leaves none.
[ -n "$(regget "$settings\\Window Placements\\frmMain" "$win_chat")" ] ||
  problems+=("Quillet did not end on its own (no saved window place)")
cmp -s "$bin/Quillet.exe" "$instdir/Quillet.exe" || problems+=("Quillet.exe not in place")
entries=$("$WINE64" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' "$view" </dev/null 2>/dev/null | grep -c 'Quillet')
want "uninstall entries" 1 "$entries"
verdict UpgradeClosesQuilletAndReplacesInPlace

# --- Silent uninstall, with Quillet running ----------------------------------------
# The first note was read and hidden; the next start shows a new one.
note="Записка перед удалением"
printf '%s' "$note" > "$chat_dir/Записка 2.ZTMF"
"$WINE64" start "$win_chat" </dev/null >/dev/null 2>&1
driver wait "$note" 60 >/dev/null || problems+=("Quillet did not start again")
silently "$instdir/Uninstall.exe"
DRIVER_TIMEOUT=10 driver pane >/dev/null 2>&1 && problems+=("Quillet still runs")
[ -e "$instdir" ] && problems+=("left in the program folder: $(ls -A "$instdir" | tr '\n' ' ')")
[ -e "$links/Quillet.lnk" ] && problems+=("the Start-menu shortcut is left")
for key in 'HKCR\.ZPMFChat' 'HKCR\Quillet.Chat' "HKCR\\CLSID\\$flickon_clsid" \
           'HKCR\Flickon0100.torFlickon' "$uninstall_key"; do
  haskey "$key" && problems+=("key left: $key")
done
verdict UninstallRemovesFilesAndKeys

haskey "$settings" || problems+=("the settings are gone")
[ -n "$(regget "$settings" 'My GUID')" ] || problems+=("the client's GUID is gone")
logs=$(find "$WINEPREFIX/drive_c/users" -path '*Greyfen Works/Quillet/Logs/*' -name '*.RTF' 2>/dev/null | wc -l)
[ "$logs" -gt 0 ] || problems+=("no conversation log left")
verdict UninstallKeepsSettingsAndLogs

report_write "$report"
