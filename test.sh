#!/usr/bin/env bash
# Builds everything and runs every test: the native GoogleTest suite, then the
# Windows suites under Wine in Xvfb, then the whole-program scenarios.
# Ends with "N passed, N failed".
set -u
cd "$(dirname "$0")"
source scripts/lib.sh
# CI's compilers are known: a warning fails the build here.
export QUILLET_WERROR=ON

install_packages || { echo "package installation failed"; exit 2; }

# Wine prefixes (about 1.3 GB each) and the scenarios' folders live in /tmp, and
# Syncthing stops syncing below 1 % free: a nearly full disk fails tests obscurely.
free_gb=$(( $(df -Pk /tmp | awk 'NR == 2 { print $4 }') / 1048576 ))
[ "$free_gb" -ge 10 ] || say "Warning: only $free_gb GB free in /tmp; the suites need about 10 (old Wine prefixes there can go)"

# A zone with an offset, so that local-time conversions are really exercised.
export TZ=Europe/Moscow

reports="$BUILD/reports"
rm -rf "$reports"; mkdir -p "$reports"
build_failed=0
# expect NAME: a report NAME.xml must appear; a missing one (a crash) counts as a failure.
expect() { echo "$reports/$1.xml" >> "$reports/expected"; }
: > "$reports/expected"

say "Native build";      build_native || build_failed=1
say "Windows x86_64 build"; build_win64 || build_failed=1
say "Windows i686 build";   build_win32 || build_failed=1

for exe in "$BUILD"/native/bin/*_tests; do
  [ -x "$exe" ] || continue
  name=$(basename "$exe"); expect "$name"
  say "Native: $name"
  timeout 1200 "$exe" --gtest_brief=1 --gtest_output="xml:$reports/$name.xml" </dev/null
done
expect folder_order; say "Native: the folders of app/ include each other in one order"
python3 scripts/folder_order.py --report "$reports/folder_order.xml"

# --- The shipping build: the installer and zip; its suites under 32-bit Wine ---
say "Installer and portable zip"; build_installer win32 || build_failed=1
i686_tests=()
if runs_32bit; then
  for exe in "$BUILD"/win32/bin/*_tests.exe; do
    [ -e "$exe" ] && i686_tests+=("$exe") && expect "$(basename "$exe" .exe)_i686"
  done
  [ ${#i686_tests[@]} -gt 0 ] && i686_tests=(--suffix=_i686 "${i686_tests[@]}")
else
  say "This kernel does not run 32-bit programs: the i686 suites are built but not run"
fi
# ---

win_tests=("$BUILD"/win64/bin/*_tests.exe)
if [ -e "${win_tests[0]}" ]; then
  for exe in "${win_tests[@]}"; do expect "$(basename "$exe" .exe)"; done
  xvfb-run -a -s "-screen 0 1024x768x24" bash scripts/wine-tests.sh "$reports" "${win_tests[@]}" "${i686_tests[@]}"
fi

# --- Install, open a chat file through the shell, upgrade, uninstall ---------
# The shipping 32-bit installer; where 32-bit programs cannot run, the x86_64
# one made from the same script stands in.
setup_tree=win32
if ! runs_32bit; then setup_tree=win64; build_installer win64 || build_failed=1; fi
setup=$(ls "$BUILD/$setup_tree"/Quillet-Setup-*.exe 2>/dev/null | head -n 1)
if [ -n "$setup" ] && [ -e "$BUILD/$setup_tree/bin/quillet_driver.exe" ]; then
  say "Whole program: install, open through the shell, upgrade, uninstall ($(basename "$setup"))"
  expect install_open_uninstall
  xvfb-run -a -s "-screen 0 1024x768x24" bash tests/e2e/install_open_uninstall.sh "$setup" \
    "$BUILD/$setup_tree/bin" "$reports/install_open_uninstall.xml"
fi
# ---

if [ -e "$BUILD/win64/bin/quillet_win32_tests.exe" ] && [ "$(id -u)" -eq 0 ]; then
  say "Wine: faults of the file system (a read-only chat folder, a full disk)"
  expect fault_mounts
  xvfb-run -a -s "-screen 0 1024x768x24" bash tests/win32/fault-mounts.sh \
    "$BUILD/win64/bin/quillet_win32_tests.exe" "$reports/fault_mounts.xml"
fi

if [ -e "$BUILD/win64/bin/quillet_driver.exe" ]; then
  say "Whole program: two clients over Syncthing"
  expect two_clients
  xvfb-run -a -s "-screen 0 1024x768x24" bash tests/e2e/two_clients.sh "$BUILD/win64/bin" "$reports/two_clients.xml"
fi

if [ -e "$BUILD/win64/bin/quillet_driver.exe" ]; then
  say "Whole program: three clients on one file server (the shared-folder mode)"
  expect shared_folder
  xvfb-run -a -s "-screen 0 1024x768x24" bash tests/e2e/shared_folder.sh "$BUILD/win64/bin" "$reports/shared_folder.xml"
fi

if [ -e "$BUILD/win64/bin/quillet_driver.exe" ]; then
  say "Whole program: two new users meet through the entry window"
  expect entry_window
  xvfb-run -a -s "-screen 0 1024x768x24" bash tests/e2e/entry_window.sh "$BUILD/win64/bin" "$reports/entry_window.xml"
fi

# The native suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
# and every fuzz target on its seed corpus plus a bounded fuzzing time.
say "Sanitized native build (clang, ASan, UBSan, fuzz targets)"
build_sanitize || build_failed=1
for exe in "$BUILD"/sanitize/bin/*_tests; do
  [ -x "$exe" ] || continue
  name=sanitized_$(basename "$exe"); expect "$name"
  say "Sanitized: $(basename "$exe")"
  UBSAN_OPTIONS=print_stacktrace=1 timeout 1200 "$exe" --gtest_brief=1 --gtest_output="xml:$reports/$name.xml" </dev/null
done
# 20 s a target keeps the fuzzing near 6 minutes of the suite's 90.
fuzzers=("$BUILD"/sanitize/bin/fuzz_*)
if [ -e "${fuzzers[0]}" ]; then
  for exe in "${fuzzers[@]}"; do expect "$(basename "$exe")"; done
  say "Fuzz targets: seed corpus, then ${QUILLET_FUZZ_SECONDS:-20} s each"
  bash fuzz/run-ci.sh "$BUILD/sanitize/bin" "$reports" "${QUILLET_FUZZ_SECONDS:-20}"
fi

# quillet-cli: its native suite ran above; here it is in one chat with Quillet
# under Wine, its Windows build (the shipping 32-bit one, where this kernel runs
# 32-bit programs) beside Quillet.
if [ -x "$BUILD/native/bin/quillet-cli" ] && [ -e "$BUILD/win64/bin/quillet_driver.exe" ]; then
  say "Whole program: quillet-cli on Linux and Quillet under Wine in one chat"
  expect cli_with_quillet
  wincli="$BUILD/win32/bin/quillet-cli.exe"
  { [ -e "$wincli" ] && runs_32bit; } || wincli="$BUILD/win64/bin/quillet-cli.exe"
  xvfb-run -a -s "-screen 0 1024x768x24" bash tests/e2e/cli_with_quillet.sh "$BUILD/win64/bin" "$wincli" \
    "$BUILD/native/bin/quillet-cli" "$reports/cli_with_quillet.xml"
fi

read -r passed failed < <(python3 scripts/count-gtest.py $(sort -u "$reports/expected"))
failed=$((failed + build_failed))
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
