#!/usr/bin/env bash
# Line and branch coverage of the product code (app/, outside/, cli/, blinker/)
# by the test suites: the native suite and quillet-cli's, then the x86_64
# Windows suites under Wine; prints native, Windows and merged figures per folder.
# Usage: scripts/coverage.sh [--native-only]
# Trees: $BUILD/coverage (gcc) and $BUILD/coverage-win64 (mingw-w64), both
# with QUILLET_COVERAGE=ON; reports in $BUILD/coverage-report.
set -u
cd "$(dirname "$0")/.."
source scripts/lib.sh

windows=1
case "${1:-}" in
  --native-only) windows=0 ;;
  "") ;;
  *) echo "usage: scripts/coverage.sh [--native-only]" >&2; exit 2 ;;
esac

if ! command -v gcovr >/dev/null; then
  say "Installing gcovr"
  apt-get install -y -qq --no-install-recommends gcovr >/dev/null ||
    { apt-get update -qq && apt-get install -y -qq --no-install-recommends gcovr >/dev/null; } ||
    { echo "gcovr could not be installed"; exit 2; }
fi

export TZ=Europe/Moscow
report="$BUILD/coverage-report"
mkdir -p "$report"
failed=()
# Only the product: what the suites exercise in it, not the suites themselves.
filters=(--filter 'app/' --filter 'outside/' --filter 'cli/' --filter 'blinker/')
# Branches the compiler adds for exceptions and for code it knows is dead say
# nothing about the tests.
gcovr_opts=(-r "$ROOT" "${filters[@]}" --exclude-throw-branches --exclude-unreachable-branches -j 2)

# --- Native: the GoogleTest suite and quillet-cli's suite ---------------------
say "Native coverage build"
BUILD_TARGETS="quillet_native_tests quillet_cli_tests quillet-cli" \
  build_tree coverage -DCMAKE_BUILD_TYPE=Debug -DQUILLET_COVERAGE=ON || exit 1
tree="$BUILD/coverage"
# Counters of an earlier run would be added to this one's.
find "$tree" -name '*.gcda' -delete
for exe in "$tree"/bin/quillet_native_tests "$tree"/bin/quillet_cli_tests; do
  say "Native: $(basename "$exe")"
  timeout 1800 "$exe" --gtest_brief=1 </dev/null || failed+=("$(basename "$exe")")
done
say "gcovr (native)"
(cd "$ROOT" && gcovr "${gcovr_opts[@]}" --json "$report/native.json" "$tree") || exit 1
tracefiles=(--add-tracefile "$report/native.json")

# --- Windows: the x86_64 suites under Wine -------------------------------------
# gcc names each counter file by the absolute Linux path of its object; under
# Wine GCOV_PREFIX=Z: makes that the same file on drive Z:, whatever folder the
# tests run in. Processes the suites start (Quillet.exe) add their counts too.
if [ "$windows" -eq 1 ]; then
  say "Windows x86_64 coverage build"
  wtree="$BUILD/coverage-win64"
  if BUILD_TARGETS="quillet_win32_tests flickon_tests" build_tree coverage-win64 -DCMAKE_BUILD_TYPE=Debug \
      -DQUILLET_COVERAGE=ON -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-x86_64.cmake"; then
    find "$wtree" -name '*.gcda' -delete
    export DEV_WINEPREFIX="${DEV_WINEPREFIX:-/tmp/quillet-coverage-wine}"
    for exe in "$wtree"/bin/quillet_win32_tests.exe "$wtree"/bin/flickon_tests.exe; do
      say "Wine: $(basename "$exe")"
      GCOV_PREFIX=Z: bash scripts/wine-dev.sh "$exe" --gtest_brief=1 || failed+=("$(basename "$exe")")
    done
    say "gcovr (Windows)"
    (cd "$ROOT" && gcovr "${gcovr_opts[@]}" --gcov-executable x86_64-w64-mingw32-gcov \
        --json "$report/windows.json" "$wtree") && tracefiles+=(--add-tracefile "$report/windows.json")
  else
    echo "The Windows coverage build failed: native figures only."
  fi
fi

# --- The table -----------------------------------------------------------------
for name in native windows; do
  [ -f "$report/$name.json" ] || continue
  (cd "$ROOT" && gcovr -r "$ROOT" --add-tracefile "$report/$name.json" --json-summary "$report/$name-summary.json") || exit 1
done
(cd "$ROOT" && gcovr -r "$ROOT" "${tracefiles[@]}" --json-summary "$report/all-summary.json") || exit 1
python3 - "$report" <<'EOF'
import json, os, sys
report = sys.argv[1]
columns = [c for c in ("native", "windows", "all") if os.path.exists(f"{report}/{c}-summary.json")]

def group(name):
    parts = name.split("/")
    if parts[0] == "app" and len(parts) > 2: return "app/" + parts[1]
    if parts[:2] == ["blinker", "stream"]: return "blinker/stream"
    return parts[0]

rows = {}
for c in columns:
    for f in json.load(open(f"{report}/{c}-summary.json"))["files"]:
        r = rows.setdefault(group(f["filename"]), {}).setdefault(c, [0, 0, 0, 0])
        for i, k in enumerate(("line_covered", "line_total", "branch_covered", "branch_total")): r[i] += f[k]

def pct(covered, total): return f"{100.0 * covered / total:5.1f}%" if total else "    -"
head = "folder".ljust(16) + "".join(f"{c + ' lines':>16}{c + ' branches':>19}" for c in columns)
print(head); print("-" * len(head))
totals = {c: [0, 0, 0, 0] for c in columns}
for g in sorted(rows):
    line = g.ljust(16)
    for c in columns:
        r = rows[g].get(c, [0, 0, 0, 0])
        totals[c] = [a + b for a, b in zip(totals[c], r)]
        line += f"{pct(r[0], r[1]):>16}{pct(r[2], r[3]):>19}"
    print(line)
print("-" * len(head))
line = "product".ljust(16)
for c in columns:
    t = totals[c]
    line += f"{pct(t[0], t[1]):>16}{pct(t[2], t[3]):>19}"
print(line)
for c in columns:
    t = totals[c]
    print(f"{c}: lines {t[0]}/{t[1]} ({pct(t[0], t[1]).strip()}), branches {t[2]}/{t[3]} ({pct(t[2], t[3]).strip()})")
EOF
if [ ${#failed[@]} -gt 0 ]; then
  echo "Suites with failures (their coverage still counts): ${failed[*]}"
fi
