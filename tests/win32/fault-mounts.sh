#!/usr/bin/env bash
# The fault cases that need a misbehaving file system, for the Windows suite
# under Wine: a read-only chat folder (a read-only bind mount) and a logs
# folder on a full disk (a tiny tmpfs, filled). Needs root; called inside
# xvfb-run by test.sh.   fault-mounts.sh TESTS.exe REPORT.xml
set -u
source "$(dirname "$0")/../../scripts/lib.sh"
exe=$1 report=$2
work=$(mktemp -d /tmp/quillet-faults.XXXXXX)
prefix=$(mktemp -d /tmp/quillet-wine.XXXXXX)
cleanup() {
  wine_stop
  umount "$work/ro" 2>/dev/null; umount "$work/full" 2>/dev/null
  wine_remove "$work" "$prefix"
}
trap cleanup EXIT

# A chat with three messages, then made read-only underneath.
mkdir -p "$work/ro" "$work/full"
: > "$work/ro/Беседа.ZPMFChat"
n=1
for text in "первое" "второе" "третье"; do
  printf '\xef\xbb\xbf2024\x001\x001\x000\x000\x000\x00%d\x00Гость\x00%s только для чтения\x00{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}' \
    "$n" "$text" > "$work/ro/2024-01-01 00-00-00-00$n {A}.ZPMF"
  n=$((n + 1))
done
mount --bind "$work/ro" "$work/ro" && mount -o remount,bind,ro "$work/ro" || { echo "cannot mount"; exit 1; }
# 64 KiB of disk, all of it taken.
mount -t tmpfs -o size=64k tmpfs "$work/full" || { echo "cannot mount"; exit 1; }
dd if=/dev/zero of="$work/full/filler" bs=4k 2>/dev/null || true

wine_prefix "$prefix"
QUILLET_READ_ONLY_CHAT=$(winepath_of "$work/ro") QUILLET_FULL_DISK=$(winepath_of "$work/full") \
  LC_ALL=ru_RU.UTF-8 timeout 600 "$WINE64" "$exe" --gtest_brief=1 --gtest_filter='FaultMountsTest.*:*FaultMounts*' \
  --gtest_output="xml:$(winepath_of "$report")" </dev/null
