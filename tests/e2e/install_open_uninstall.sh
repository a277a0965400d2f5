#!/usr/bin/env bash
# What a Windows user, and a deployment tool, do: the installer refused to a
# standard user; its pages gone through, with Quillet started at the end; a chat
# file opened through the shell as a double-click does, and added to the Startup
# folder; quillet-cli from a command prompt; the installer run again over the
# running program, over a locked file, and into another folder; the quiet
# uninstall command as the uninstall entry gives it. Writes a GoogleTest-style report.
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
trap 'wine_stop; wine_remove "$work"' EXIT

source "$here/report.sh"; report_suite Install

# A 32-bit installer on 64-bit Windows: Program Files (x86), and the 32-bit view
# of the keys Windows redirects (HKLM\Software, HKCR\CLSID). File types and
# ProgIDs are shared by both views; Wine keeps them in the 64-bit one.
machine=$(od -An -tx2 -j$(( $(od -An -tu4 -j60 -N4 "$bin/Quillet.exe") + 4 )) -N2 "$bin/Quillet.exe" | tr -d ' ')
if [ "$machine" = 014c ]; then programs='Program Files (x86)'; view=/reg:32
else programs='Program Files'; view=/reg:64; fi
shared=/reg:64

# regget KEY [VALUE]: the data of a value (the default one without VALUE), empty
# when there is none, read in the view $at (the redirected one unless given).
# reg.exe writes the console's code page, 866 under ru-RU. Once (on a nearly
# full disk) a reg.exe printed nothing: an empty answer is asked again before it
# counts (every value read here is one that should be there).
regget() {
  local which=(/ve) got try; [ $# -gt 1 ] && which=(/v "$2")
  for try in 1 2 3; do
    got=$("$WINE64" reg query "$1" "${which[@]}" "${at:-$view}" 2>/dev/null </dev/null | iconv -f CP866 -t UTF-8 |
      sed -n 's/^ *.*  *REG_[A-Z_]*  *//p' | tr -d '\r')
    [ -n "$got" ] && break
    sleep 1
  done
  printf '%s\n' "$got"
}
haskey() { "$WINE64" reg query "$1" "${at:-$view}" >/dev/null 2>&1 </dev/null; }

# want NAME WANT GOT: one check of many, its failure text naming all.
problems=()
want() { [ "$2" = "$3" ] || problems+=("$1: «$3», expected «$2»"); }
verdict() { record "$1" "${#problems[@]}" "$(IFS=';'; echo "${problems[*]}")"; problems=(); }

driver() { timeout "${DRIVER_TIMEOUT:-300}" "$WINE64" "$bin/quillet_driver.exe" "$@" </dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
# status [--limited] [--lock FILE] COMMAND_LINE: its exit status, as a deployment tool sees it.
status() { driver run "$@" | sed -n 's/^exit //p'; }
failed() { [ -n "$2" ] && [ "$2" != 0 ] || problems+=("$1: exit status «$2», expected a failure"); }

wine_prefix "$work/prefix"
instdir="$WINEPREFIX/drive_c/$programs/Quillet"
win_instdir="C:\\$programs\\Quillet"
win_setup=$(winepath_of "$setup")
links="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
version=$(basename "$setup" .exe); version=${version#Quillet-Setup-}; version=${version%-x86_64}
settings='HKCU\Software\Greyfen Works\Quillet'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillet'
flickon_clsid='{20735A91-B97C-4AF1-9370-CA8D7BF0FFB9}'
environment='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
# want_path WANT: the machine's PATH; a difference is told entry by entry.
want_path() {
  local got; got=$(regget "$environment" PATH)
  [ "$got" = "$1" ] && return
  local missing extra
  missing=$(comm -23 <(tr ';' '\n' <<< "$1" | sort) <(tr ';' '\n' <<< "$got" | sort) | paste -sd';')
  extra=$(comm -13 <(tr ';' '\n' <<< "$1" | sort) <(tr ';' '\n' <<< "$got" | sort) | paste -sd';')
  problems+=("PATH: missing «$missing», not expected «$extra» (order aside)")
}

chat_dir="$work/Общий чат"
chat="$chat_dir/Семья.ZPMFChat"
win_chat=$(winepath_of "$chat")
mkdir -p "$chat_dir"; : > "$chat"
note="Записка до установки"
printf '%s' "$note" > "$chat_dir/Записка.ZTMF"

path_before=$(regget "$environment" PATH)
# Entries that make PATH longer than the installer script's strings hold (1,024
# characters): each change must keep every other entry as it was. Added after the
# first install, as Wine gives programs no PATH longer than that.
tools=
for i in $(seq 60); do tools+=";C:\\Инструменты\\набор $i\\bin"; done

# gone DIR: whether DIR is removed within a few seconds. The quiet uninstall
# command's uninstaller cannot delete its own file: a helper does right after.
gone() { for _ in $(seq 50); do [ -e "$1" ] || return 0; sleep 0.2; done; return 1; }

# installed_in DIR WIN_DIR PATH: the files and registrations of an install in
# WIN_DIR (DIR on Linux), and the machine's PATH that goes with it.
installed_in() {
  local dir=$1 win_dir=$2 f
  for f in Quillet.exe Flickon0100.dll Quillet.ReadMe.html; do
    cmp -s "$bin/$f" "$dir/$f" || problems+=("$f is not the built one")
  done
  cmp -s "$bin/quillet-cli.exe" "$dir/bin/quillet-cli.exe" || problems+=("bin\\quillet-cli.exe is not the built one")
  [ -f "$dir/Uninstall.exe" ] || problems+=("no Uninstall.exe")
  [ -f "$links/Quillet.lnk" ] || problems+=("no Start-menu shortcut")
  want "open command" "\"$win_dir\\Quillet.exe\" \"%1\"" "$(at=$shared regget 'HKCR\Quillet.Chat\shell\open\command')"
  want "control library" "$win_dir\\Flickon0100.dll" "$(regget "HKCR\\CLSID\\$flickon_clsid\\InprocServer32")"
  want "install location" "$win_dir" "$(regget "$uninstall_key" InstallLocation)"
  want_path "$3"
}

# --- A standard user ---------------------------------------------------------------
want "exit status" 740 "$(status --limited "\"$win_setup\" /S")"
[ -e "$instdir" ] && problems+=("files were written")
haskey "$uninstall_key" && problems+=("an uninstall entry was written")
verdict StandardUserIsRefused

# --- The installer's pages, "Запустить Quillet" ticked on the last ---------------------
# Quillet must run as the user of the desktop, not with the installer's rights:
# started by the shell, with no more integrity than the shell has.
started=$(driver finish "$win_setup")
read -r _ installer setup_status < <(grep '^installer ' <<< "$started")
read -r _ quillet parent integrity < <(grep '^quillet ' <<< "$started")
read -r _ shell shell_integrity < <(grep '^shell ' <<< "$started")
want "installer's exit status" 0 "${setup_status:-}"
if [ -z "${quillet:-}" ]; then
  problems+=("no Quillet started")
else
  [ "$parent" = "$installer" ] && problems+=("Quillet is the installer's child")
  want "Quillet's parent (the shell)" "$shell" "$parent"
  (( 16#$integrity > 0 && 16#$integrity <= 16#$shell_integrity )) ||
    problems+=("integrity level $integrity, the shell's $shell_integrity")
fi
verdict FinishPageStartsQuilletThroughTheShell

installed_in "$instdir" "$win_instdir" "$path_before;$win_instdir\\bin"
verdict InstallPutsTheFilesInProgramFiles

want "extension" "Quillet.Chat" "$(at=$shared regget 'HKCR\.ZPMFChat')"
want "type name" "Файл чата Quillet" "$(at=$shared regget 'HKCR\Quillet.Chat')"
want "icon" "$win_instdir\\Quillet.exe,0" "$(at=$shared regget 'HKCR\Quillet.Chat\DefaultIcon')"
verdict ChatFileTypeIsRegistered

want "ProgID" "$flickon_clsid" "$(at=$shared regget 'HKCR\Flickon0100.torFlickon\CLSID')"
verdict ControlLibraryIsRegistered

want "name" "Quillet" "$(regget "$uninstall_key" DisplayName)"
want "version" "$version" "$(regget "$uninstall_key" DisplayVersion)"
want "publisher" "Greyfen Works" "$(regget "$uninstall_key" Publisher)"
want "icon" "$win_instdir\\Quillet.exe,0" "$(regget "$uninstall_key" DisplayIcon)"
want "uninstall" "\"$win_instdir\\Uninstall.exe\"" "$(regget "$uninstall_key" UninstallString)"
want "quiet uninstall" "\"$win_instdir\\Uninstall.exe\" /S _?=$win_instdir" "$(regget "$uninstall_key" QuietUninstallString)"
verdict UninstallEntryIsListed

# A new command prompt finds quillet-cli through PATH.
out=$("$WINE64" cmd /c quillet-cli --version </dev/null 2>&1); code=$?
want "exit status" 0 "$code"
[[ "$out" == *"$version"* ]] || problems+=("no version in «$out»")
verdict CommandPromptRunsQuilletCli

# --- A double-click on the chat file ---------------------------------------------
"$WINE64" start "$win_chat" </dev/null >/dev/null 2>&1
driver wait "$note" 60 >/dev/null; code=$?
record ShellOpensTheChatFileInQuillet "$code" "the installed Quillet did not show the chat's note"

# --- The chat settings' Startup-folder shortcut, made by the installed Quillet -----
want "message" "Готово! ^_^v" "$(driver autorun)"
link=$(find "$WINEPREFIX/drive_c/users" -ipath '*/Startup/*' -iname 'Семья.ZPMFChat.LNK' | head -n 1)
if [ -z "$link" ]; then
  problems+=("no shortcut in the Startup folder")
else
  mapfile -t made < <(driver link "$(winepath_of "$link")")
  want "target" "$win_instdir\\Quillet.exe" "${made[0]:-}"
  want "arguments" "/H \"$win_chat\"" "${made[1]:-}"
  want "working folder" "$(winepath_of "$chat_dir")" "${made[2]:-}"
fi
verdict StartupShortcutStartsTheInstalledQuilletHidden

# --- Installing again over the running program -------------------------------------
want "exit status" 0 "$(status "\"$win_setup\" /S")"
DRIVER_TIMEOUT=10 driver pane >/dev/null 2>&1 && problems+=("Quillet still runs")
# Only an orderly exit saves the window's place: a killed Quillet leaves none.
[ -n "$(regget "$settings\\Window Placements\\frmMain" "$win_chat")" ] ||
  problems+=("Quillet did not end on its own (no saved window place)")
cmp -s "$bin/Quillet.exe" "$instdir/Quillet.exe" || problems+=("Quillet.exe not in place")
entries=$("$WINE64" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' "$view" </dev/null 2>/dev/null | grep -c 'Quillet')
want "uninstall entries" 1 "$entries"
verdict UpgradeClosesQuilletAndReplacesInPlace

# --- Over a file another program holds: the install fails, and changes nothing ------
written() { stat -c '%z %n' "$instdir"/* "$instdir"/bin/*; }
before=$(written)
failed "exit status" "$(status --lock "$win_instdir\\Flickon0100.dll" "\"$win_setup\" /S")"
[ "$(written)" = "$before" ] || problems+=("files were written: $(diff <(echo "$before") <(written) | sed -n 's/^> [^ ]* [^ ]* [^ ]* //p' | tr '\n' ' ')")
want "control library" "$win_instdir\\Flickon0100.dll" "$(regget "HKCR\\CLSID\\$flickon_clsid\\InprocServer32")"
verdict InstallOverALockedFileFails

# --- Upgrading into another folder ----------------------------------------------
# The old copy goes; a copy of it is kept to come back below.
cp -a "$instdir" "$work/old copy"
"$WINE64" reg add "$environment" /v PATH /t REG_EXPAND_SZ /d "$(regget "$environment" PATH)$tools" /f >/dev/null 2>&1 </dev/null
new_win='C:\Программы\Quillet'
new_dir="$WINEPREFIX/drive_c/Программы/Quillet"
want "exit status" 0 "$(status "\"$win_setup\" /S /D=$new_win")"
gone "$instdir" || problems+=("the old copy is left: $(ls -A "$instdir" | tr '\n' ' ')")
installed_in "$new_dir" "$new_win" "$path_before$tools;$new_win\\bin"
verdict UpgradeIntoAnotherFolderRemovesTheOldCopy

# A copy left in the old folder (as an older installer left it): its uninstaller
# takes away nothing of the install in the new folder.
cp -a "$work/old copy" "$instdir"
want "exit status" 0 "$(status "\"$win_instdir\\Uninstall.exe\" /S _?=$win_instdir")"
gone "$instdir" || problems+=("the old copy is left: $(ls -A "$instdir" | tr '\n' ' ')")
installed_in "$new_dir" "$new_win" "$path_before$tools;$new_win\\bin"
want "extension" "Quillet.Chat" "$(at=$shared regget 'HKCR\.ZPMFChat')"
verdict OldCopysUninstallerLeavesTheNewInstallAlone

# --- The quiet uninstall command ---------------------------------------------------
quiet=$(regget "$uninstall_key" QuietUninstallString)
failed "exit status while a file is held" "$(status --lock "$new_win\\Flickon0100.dll" "$quiet")"
[ -f "$new_dir/Quillet.exe" ] || problems+=("files removed by an uninstall that failed")
haskey "$uninstall_key" || problems+=("the entry removed by an uninstall that failed")
verdict QuietUninstallFailsWhileAFileIsHeld

# With Quillet running. The first note was read and hidden; the next start shows a new one.
note="Записка перед удалением"
printf '%s' "$note" > "$chat_dir/Записка 2.ZTMF"
"$WINE64" start "$win_chat" </dev/null >/dev/null 2>&1
driver wait "$note" 60 >/dev/null || problems+=("Quillet did not start again")
# Done when the command returns: all but the uninstaller's own file is gone by then.
want "exit status" 0 "$(status "$quiet")"
left=$(find "$new_dir" -type f ! -name Uninstall.exe 2>/dev/null)
[ -n "$left" ] && problems+=("left in the program folder: $left")
gone "$new_dir" || problems+=("the program folder is left: $(ls -A "$new_dir" | tr '\n' ' ')")
DRIVER_TIMEOUT=10 driver pane >/dev/null 2>&1 && problems+=("Quillet still runs")
[ -e "$links/Quillet.lnk" ] && problems+=("the Start-menu shortcut is left")
for key in 'HKCR\.ZPMFChat' 'HKCR\Quillet.Chat' 'HKCR\Flickon0100.torFlickon'; do
  at=$shared haskey "$key" && problems+=("key left: $key")
done
for key in "HKCR\\CLSID\\$flickon_clsid" "$uninstall_key"; do
  haskey "$key" && problems+=("key left: $key")
done
want_path "$path_before$tools"
verdict UninstallRemovesFilesAndKeys

haskey "$settings" || problems+=("the settings are gone")
[ -n "$(regget "$settings" 'My GUID')" ] || problems+=("the client's GUID is gone")
logs=$(find "$WINEPREFIX/drive_c/users" -path '*Greyfen Works/Quillet/Logs/*' -name '*.RTF' 2>/dev/null | wc -l)
[ "$logs" -gt 0 ] || problems+=("no conversation log left")
[ -n "$link" ] && [ ! -e "$link" ] && problems+=("the chat's Startup shortcut is gone")
verdict UninstallKeepsSettingsAndLogs

report_write "$report"
