#!/usr/bin/env bash
# Builds Tovara2 (the 32-bit product and the 64-bit test build) and runs every
# test under Wine and Xvfb. Installs whatever is missing first; run as root on
# Debian. Exit code: CTest's. Ends with where the time went, stage by stage.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
started=$(date +%s)

TIMES=()
# Runs one stage and notes its seconds for the summary.
stage() {
  local name=$1 t0 rc
  shift
  t0=$(date +%s)
  "$@"
  rc=$?
  TIMES+=("$(printf '%-28s %4d s' "$name" $(( $(date +%s) - t0 )))")
  return $rc
}
summary() {
  tv2_log "where the time went:"
  local line
  for line in "${TIMES[@]}"; do tv2_log "  $line"; done
  tv2_log "  $(printf '%-28s %4d s' total $(( $(date +%s) - started )))"
}
trap summary EXIT

stage install tv2_install || exit 1
stage "build 32-bit product" tv2_build "$TV2_BUILD32" mingw-i686.cmake || exit 1
stage "build 64-bit tests" tv2_build "$TV2_BUILD64" mingw-x86_64.cmake || exit 1
stage "start Xvfb and Wine" tv2_start_services || { tv2_stop_services; exit 1; }
trap 'tv2_stop_services; summary' EXIT

rc=0
# The 32-bit build's own checks run on the host (imports, entry point, size).
stage "ctest, 32-bit checks" bash -c 'cd "$TV2_BUILD32" && ctest --output-on-failure -j1' || rc=1
# Everything else runs the 64-bit build under Wine; CTest prints each
# program's time as it ends.
ctest64() {
  (cd "$TV2_BUILD64" && ctest --output-on-failure -j"$(nproc)") | tee "$TV2_BUILD64/ctest.out"
  return "${PIPESTATUS[0]}"
}
stage "ctest, 64-bit under Wine" ctest64 || rc=1
# Each test program's own time (they run side by side, so these overlap).
while read -r name secs; do
  TIMES+=("$(printf '  %-26s %6.1f s' "$name" "$secs")")
done < <(sed -nE 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+) .* ([0-9.]+) sec$/\1 \2/p' "$TV2_BUILD64/ctest.out" | sort -k2 -rn)
exit $rc
