# Sourced by the whole-program scenarios.
# shellcheck shell=bash

# link_folders A B: keeps two copies of a chat folder in step as a sync
# service does (new files are copied whole; attributes stay local). The one
# place to put a real synchronisation service instead.
link_folders() {
  local a=$1 b=$2
  (
    while :; do
      for from in "$a" "$b"; do
        to=$b; [ "$from" = "$b" ] && to=$a
        for f in "$from"/*; do
          name=$(basename "$f")
          case "$name" in .~*|\*) continue ;; esac
          [ -e "$to/$name" ] || cp "$f" "$to/.sync-$name" 2>/dev/null && mv -n "$to/.sync-$name" "$to/$name" 2>/dev/null
        done
      done
      sleep 0.2
    done
  ) &
  linker=$!
}
unlink_folders() { kill "$linker" 2>/dev/null; wait "$linker" 2>/dev/null; }
