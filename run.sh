#!/usr/bin/env bash
# Builds Quillet and starts what ships, the 32-bit program, under Wine.
#   ./run.sh                  a demo chat in ./demo (made on first use)
#   ./run.sh PATH.ZPMFChat    that chat; any other Quillet arguments (/H, /?) pass through
# Without a display it runs in Xvfb, saves a screenshot under ./shots and says where.
set -u
cd "$(dirname "$0")"
source scripts/lib.sh

install_packages || { echo "package installation failed"; exit 2; }
if runs_32bit; then
  say "Building Quillet (32-bit, as it ships)"
  BUILD_TARGETS=Quillet build_win32 || exit 1
  exe="$BUILD/win32/bin/Quillet.exe"
else
  say "This kernel does not run 32-bit programs: building the x86_64 Quillet instead of the shipping 32-bit one"
  BUILD_TARGETS=Quillet build_win64 || exit 1
  exe="$BUILD/win64/bin/Quillet.exe"
fi

# Quillet's own arguments: Linux paths become Windows paths (drive Z: is the root).
args=()
have_file=0
for a in "$@"; do
  case "$a" in
    '/?'|/h|/H) args+=("$a") ;;
    *) args+=("$(winepath_of "$(realpath -m "$a")")"); have_file=1 ;;
  esac
done
if [ $have_file -eq 0 ] && [[ " $* " != *' /? '* ]]; then
  demo="$ROOT/demo/Демо-чат"
  if [ ! -f "$demo/Демо.ZPMFChat" ]; then
    mkdir -p "$demo"
    : > "$demo/Демо.ZPMFChat"
    printf 'Добро пожаловать в Quillet!\r\nЭто демонстрационный чат. Напишите что-нибудь внизу и нажмите Ctrl+Enter.\r\n' \
      > "$demo/Добро пожаловать.ZTMF"
    say "Created the demo chat $demo"
  fi
  args+=("$(winepath_of "$demo/Демо.ZPMFChat")")
fi

# The user's own Wine prefix keeps settings and logs between runs.
prefix="${QUILLET_WINEPREFIX:-$HOME/.local/share/quillet/wine}"
export LC_ALL="${QUILLET_LOCALE:-ru_RU.UTF-8}"
# A prefix made before 32-bit Wine was installed cannot start 32-bit programs
# until it is updated.
if [ -f "$prefix/system.reg" ] && [ ! -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
  say "Updating the Wine prefix for 32-bit programs"
  WINEPREFIX="$prefix" WINEDEBUG=-all "$WINE64" wineboot -u >/dev/null 2>&1 </dev/null
  WINEPREFIX="$prefix" "$WINESERVER" -w
fi

if [ -n "${DISPLAY:-}" ]; then
  wine_prefix "$prefix" nodesktop
  say "Starting Quillet"
  exec "$WINE64" "$exe" "${args[@]}"
fi

mkdir -p "$ROOT/shots"
shot="$ROOT/shots/quillet-$(date +%Y%m%d-%H%M%S).png"
say "No display: running in Xvfb for a screenshot"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  source scripts/lib.sh
  wine_prefix "$1"; shift
  shot=$1; exe=$2; shift 2
  "$WINE64" "$exe" "$@" </dev/null >/dev/null 2>&1 &
  sleep 8
  import -window root "$shot"
  wine_stop
' run "$prefix" "$shot" "$exe" "${args[@]}"
echo "Screenshot of Quillet saved to $shot"
