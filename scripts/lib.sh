# Shared by run.sh and test.sh: packages, builds and a throw-away Wine prefix.
# shellcheck shell=bash

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${QUILLET_BUILD_DIR:-$ROOT/build}"
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

PACKAGES=(cmake ninja-build g++ python3 googletest libgtest-dev libxml2-dev
          mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
          wine64 wine wine64-tools libwine-dev xvfb xauth imagemagick locales tzdata
          syncthing iproute2 clang libfuzzer-14-dev nsis fonts-wine
          man-db bsdextrautils)  # quillet-cli's installed man page is read with man -l and col
# The shipping build is 32-bit: its suites and the installer run under 32-bit Wine.
PACKAGES_I386=(wine32:i386)

say() { printf '\033[1m== %s\033[0m\n' "$*"; }

# Whether this kernel runs 32-bit x86 programs, which 32-bit Wine needs. Some
# virtual machines have IA-32 emulation off; there the probe, a minimal i386
# program that only exits, fails with "exec format error".
runs_32bit() {
  local probe status
  probe=$(mktemp /tmp/quillet-i386.XXXXXX)
  # ELF header, one loadable segment, then: mov eax, 1; xor ebx, ebx; int 0x80 (exit 0).
  printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\061\333\315\200' > "$probe"
  chmod +x "$probe"
  "$probe" >/dev/null 2>&1; status=$?
  rm -f "$probe"
  return $status
}

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  if runs_32bit; then
    for p in "${PACKAGES_I386[@]}"; do
      dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
  fi
  if [ ${#missing[@]} -gt 0 ]; then
    say "Installing ${missing[*]}"
    dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386 || return 1
    $sudo apt-get update -qq || true
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || return 1
  fi
  # Wine under a Russian locale needs the glibc locale itself, or it cannot name
  # files outside ASCII.
  if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
    say "Generating the ru_RU.UTF-8 locale"
    $sudo localedef -i ru_RU -f UTF-8 ru_RU.UTF-8 || return 1
  fi
}

# build_tree NAME [cmake args...]: configure once, then build.
build_tree() {
  local name=$1; shift
  local dir="$BUILD/$name"
  # Warnings are errors only where QUILLET_WERROR=ON asks for it (test.sh does).
  local werror="${QUILLET_WERROR:-OFF}"
  if [ ! -f "$dir/build.ninja" ]; then
    # ccache, where a developer has it, makes rebuilds in fresh trees cheap.
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$ROOT" -B "$dir" -G Ninja "${launcher[@]}" -DQUILLET_WERROR="$werror" "$@" >/dev/null || return 1
  elif ! grep -qsx "QUILLET_WERROR:BOOL=$werror" "$dir/CMakeCache.txt"; then
    cmake -S "$ROOT" -B "$dir" -DQUILLET_WERROR="$werror" >/dev/null || return 1
  fi
  # BUILD_TARGETS narrows the build (run.sh needs only the program).
  # shellcheck disable=SC2086
  ninja -C "$dir" ${BUILD_TARGETS:-} | grep -v '^\[' || true
  return "${PIPESTATUS[0]}"
}

build_native() { build_tree native -DCMAKE_BUILD_TYPE=RelWithDebInfo; }
build_win64()  { build_tree win64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-x86_64.cmake"; }
# clang, ASan and UBSan, with the fuzz targets: the native suite and every
# fuzz target run from this tree.
build_sanitize() {
  build_tree sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLET_SANITIZE=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
}
# The shipping build: i686, with its suites (they run under 32-bit Wine).
build_win32() {
  # A tree configured when the i686 suites were off is configured again.
  grep -qs '^QUILLET_TESTS:BOOL=OFF' "$BUILD/win32/CMakeCache.txt" && rm -f "$BUILD/win32/build.ninja"
  build_tree win32 -DCMAKE_BUILD_TYPE=Release -DQUILLET_TESTS=ON -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-i686.cmake"
}
# build_installer TREE: in win32, Quillet-Setup-<version>.exe and the portable
# zip; in win64, the x86_64 stand-in installer (for machines without 32-bit Wine).
build_installer() { ninja -C "$BUILD/$1" installer | grep -v '^\[' || true; return "${PIPESTATUS[0]}"; }

# Debian's Wine does not look where fonts-wine puts its fonts, so windows would
# be drawn in a wider substitute and title bars would show "0 1 r" for their
# buttons. Their TrueType files in the prefix's Fonts folder give Tahoma and
# Marlett, as on Windows (an existing prefix gets them too).
WINE_FONTS=/usr/share/wine/fonts
wine_fonts() {
  local fonts="$1/drive_c/windows/Fonts" font
  mkdir -p "$fonts" || return 1
  for font in "$WINE_FONTS"/*.ttf; do
    [ -f "$font" ] && cp -u "$font" "$fonts/"
  done
  return 0
}

# A Wine prefix, with a virtual desktop unless "nodesktop" is given (the
# desktop avoids slow window teardown under bare Xvfb) and the fonts above, its
# server started with detached streams so nothing holds our pipes open. Needs DISPLAY.
# Sets WINEPREFIX.
wine_prefix() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE64" wineboot -i >/dev/null 2>&1 </dev/null
    if [ "${2:-}" != nodesktop ]; then
      "$WINE64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 </dev/null
      "$WINE64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1 </dev/null
    fi
    "$WINESERVER" -w
  fi
  wine_fonts "$WINEPREFIX"
  # A program that crashes ends at once with its exception code and a backtrace
  # on stderr, instead of waiting behind Wine's crash dialog until a timeout.
  grep -q '"ShowCrashDialog"' "$WINEPREFIX/user.reg" 2>/dev/null ||
    "$WINE64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 </dev/null
  "$WINESERVER" -p >/dev/null 2>&1 </dev/null
  "$WINE64" cmd /c exit >/dev/null 2>&1 </dev/null
}

wine_stop() { "$WINESERVER" -k >/dev/null 2>&1 || true; "$WINESERVER" -w >/dev/null 2>&1 || true; }

# Removes each path given, and the server folders Wine 8.0 leaves behind in
# $TMPDIR/wine-*/server-DEV-INODE for every prefix in or under it. After
# wine_stop: a running server still uses its folder.
wine_remove() {
  local path reg id dir
  for path in "$@"; do
    [ -e "$path" ] || continue
    while IFS= read -r reg; do
      id=$(printf 'server-%x-%x' $(stat -c '%d %i' "$(dirname "$reg")"))
      for dir in "${TMPDIR:-/tmp}"/wine-*/"$id"; do
        [ -d "$dir" ] || continue
        rm -rf "$dir"
        rmdir "$(dirname "$dir")" 2>/dev/null || true
      done
    done < <(find "$path" -maxdepth 3 -name system.reg 2>/dev/null)
    rm -rf "$path"
  done
}

# The Windows form of a Linux path under Wine (drive Z: is the Linux root).
winepath_of() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }
