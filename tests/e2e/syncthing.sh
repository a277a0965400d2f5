# Syncthing on the loopback address for whole-program tests: N instances, each
# with its own home, sharing one folder (one copy per instance), as N machines
# would. Source this file; it needs python3 and Debian's syncthing.
# shellcheck shell=bash
#
#   syncthing_start WORK FOLDER_ID DIR...  one instance per DIR, homes under WORK;
#                                         returns once all answer and the folder is in sync
#   syncthing_wait_in_sync [SECONDS]       scans every copy, then waits until every instance
#                                         is idle, needs nothing and agrees with its peers
#   syncthing_loopback_only                fails (and lists them) if an instance has a
#                                         socket on any address but loopback
#   syncthing_stop                         stops the instances started here
#
# Environment read by syncthing_start: SYNCTHING_WATCH_DELAY (watcher delay in
# seconds, 1), SYNCTHING_PULL_ORDER (alphabetic), SYNCTHING_VERSIONING (a
# versioning type such as trashcan, none by default).
# After start: SYNCTHING_PIDS, SYNCTHING_GUIS (REST ports), SYNCTHING_HOMES.

SYNCTHING_CTL="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/syncthing_ctl.py"
SYNCTHING_PIDS=()
SYNCTHING_GUIS=()
SYNCTHING_HOMES=()
SYNCTHING_FOLDER=
SYNCTHING_APIKEY=

syncthing_start() {
  local work=$1 folder=$2; shift 2
  local dirs=("$@") n=$# i j
  SYNCTHING_FOLDER=$folder
  SYNCTHING_APIKEY=$(python3 -c 'import secrets; print(secrets.token_hex(16))')
  local ports; read -r -a ports < <(python3 "$SYNCTHING_CTL" ports $((2 * n)))
  local ids=() listen=()
  for ((i = 0; i < n; i++)); do
    local home="$work/syncthing-$((i + 1))"
    rm -rf "$home"
    syncthing generate --home="$home" --no-default-folder >/dev/null 2>&1 </dev/null || {
      echo "syncthing generate failed for $home" >&2; return 1; }
    SYNCTHING_HOMES[i]=$home
    ids[i]=$(python3 "$SYNCTHING_CTL" device-id "$home")
    listen[i]=${ports[2 * i]}
    SYNCTHING_GUIS[i]=${ports[2 * i + 1]}
  done
  for ((i = 0; i < n; i++)); do
    local peers=()
    for ((j = 0; j < n; j++)); do [ "$j" -ne "$i" ] && peers+=("${ids[j]}@${listen[j]}"); done
    mkdir -p "${dirs[i]}/.stfolder"
    SYNCTHING_WATCH_DELAY=${SYNCTHING_WATCH_DELAY:-1} SYNCTHING_PULL_ORDER=${SYNCTHING_PULL_ORDER:-alphabetic} \
    SYNCTHING_VERSIONING=${SYNCTHING_VERSIONING:-} python3 "$SYNCTHING_CTL" configure "${SYNCTHING_HOMES[i]}" "machine-$((i + 1))" "${listen[i]}" \
      "${SYNCTHING_GUIS[i]}" "$SYNCTHING_APIKEY" "$folder" "${dirs[i]}" "${peers[@]}" || return 1
  done
  for ((i = 0; i < n; i++)); do
    STNOUPGRADE=1 STNODEFAULTFOLDER=1 syncthing serve --home="${SYNCTHING_HOMES[i]}" --no-browser \
      --no-restart --no-upgrade --logfile="${SYNCTHING_HOMES[i]}/syncthing.log" \
      </dev/null >/dev/null 2>&1 &
    SYNCTHING_PIDS[i]=$!
  done
  python3 "$SYNCTHING_CTL" wait-up 30 "$SYNCTHING_APIKEY" "${SYNCTHING_GUIS[@]}" || return 1
  syncthing_wait_in_sync 60
}

syncthing_wait_in_sync() {
  python3 "$SYNCTHING_CTL" in-sync "${1:-60}" "$SYNCTHING_APIKEY" "$SYNCTHING_FOLDER" "${SYNCTHING_GUIS[@]}"
}

syncthing_loopback_only() {
  local pid stray=0 local_end peer_end
  # syncthing serve runs the real instance as a child of a monitor process.
  for pid in "${SYNCTHING_PIDS[@]}" $(for p in "${SYNCTHING_PIDS[@]}"; do pgrep -P "$p"; done); do
    # Every TCP and UDP socket of the process: its own end on loopback, and
    # its peer on loopback too, or none (a listening socket).
    while read -r local_end peer_end; do
      case "$local_end" in 127.*:* | '[::1]':* | '[::ffff:127.'*) ;; *) echo "syncthing $pid: $local_end $peer_end" >&2; stray=1; continue ;; esac
      case "$peer_end" in 127.*:* | '[::1]':* | '[::ffff:127.'* | '0.0.0.0:*' | '*:*' | '[::]:*') ;; *) echo "syncthing $pid: $local_end $peer_end" >&2; stray=1 ;; esac
    done < <(ss -Htuanp 2>/dev/null | grep "pid=$pid," | awk '{print $5, $6}')
  done
  return "$stray"
}

syncthing_stop() {
  local pid all
  # The monitors and the instances they run.
  all=("${SYNCTHING_PIDS[@]}" $(for p in "${SYNCTHING_PIDS[@]}"; do pgrep -P "$p"; done))
  for pid in "${all[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${all[@]}"; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
  done
  for pid in "${SYNCTHING_PIDS[@]}"; do wait "$pid" 2>/dev/null; done
  SYNCTHING_PIDS=()
}
