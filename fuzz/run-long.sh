#!/usr/bin/env bash
# The long campaign: each fuzz target in turn, one at a time and niced (the
# machine is shared), until it has run RUNS executions or SECONDS have passed.
# New inputs are merged into a scratch corpus per target under OUT; findings
# land there too (the 60 s timeout is for a shared, niced machine: an input
# of ours takes well under a second). Add the findings (after fixing them) to fuzz/corpus/<target>.
#   fuzz/run-long.sh BIN_DIR OUT_DIR [RUNS] [SECONDS] [TARGET...]
set -u
here="$(cd "$(dirname "$0")" && pwd)"
bin=$1 out=$2 runs=${3:-10000000} seconds=${4:-3600}
shift $(( $# < 4 ? $# : 4 ))
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for exe in "$bin"/fuzz_*; do targets+=("$(basename "$exe")"); done
  targets=("${targets[@]#fuzz_}")
fi
mkdir -p "$out"
for target in "${targets[@]}"; do
  mkdir -p "$out/$target/corpus" "$out/$target/findings"
  start=$(date +%s)
  nice -n 10 "$bin/fuzz_$target" -runs="$runs" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 \
    -malloc_limit_mb=512 -artifact_prefix="$out/$target/findings/" -print_final_stats=1 -close_fd_mask=1 \
    "$out/$target/corpus" "$here/corpus/$target" > "$out/$target/log" 2>&1
  rc=$?
  executed=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$out/$target/log" | grep -o '[0-9]*$')
  found=$(find "$out/$target/findings" -type f | wc -l)
  echo "$target: ${executed:-?} executions in $(( $(date +%s) - start ))s, exit $rc, findings $found" | tee -a "$out/summary"
done
