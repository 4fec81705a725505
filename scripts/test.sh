#!/usr/bin/env bash
# Builds Tovara2 (the 32-bit product and the 64-bit test build) and runs every
# test: the 64-bit build under Wine and Xvfb on this machine, the 32-bit build
# in the test guest (a system under qemu's software CPU that runs 32-bit code;
# TV2_SKIP_32=1 skips that stage outside CI). Installs whatever is missing
# first; run as root on Debian. Exit code: 0 when every stage passed. Ends
# with where the time went: each stage, and each 64-bit test program.
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
# The 32-bit build's own checks on the host (imports, entry point, size).
stage "ctest, 32-bit on the host" bash -c 'cd "$TV2_BUILD32" && ctest -L host --output-on-failure -j1' || rc=1
# The 64-bit build under Wine; CTest prints each program's time as it ends.
ctest64() {
  (cd "$TV2_BUILD64" && ctest --output-on-failure -j"$(nproc)") | tee "$TV2_BUILD64/ctest.out"
  return "${PIPESTATUS[0]}"
}
stage "ctest, 64-bit under Wine" ctest64 || rc=1
# Each test program's own time (they run side by side, so these overlap).
while read -r name secs; do
  TIMES+=("$(printf '  %-26s %6.1f s' "$name" "$secs")")
done < <(sed -nE 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+) .* ([0-9.]+) sec$/\1 \2/p' "$TV2_BUILD64/ctest.out" | sort -k2 -rn)

# The 32-bit build in the guest: the real program with its 32-bit fault
# guard, calling conventions and record layouts (tests labelled guest).
guest() {
  bash "$TV2_TOP/scripts/guest-prepare.sh" || return 1
  local build32 top shares
  build32=$(cd "$TV2_BUILD32" && pwd -P)
  top=$(cd "$TV2_TOP" && pwd -P)
  shares=(--share "$top")
  case "$build32/" in "$top"/*) ;; *) shares+=(--share "$build32") ;; esac
  (cd "$TV2_BUILD32" && bash "$TV2_TOP/scripts/guest-run.sh" "${shares[@]}" \
    --timeout "${TV2_GUEST_TIMEOUT:-2700}" -- bash -c '
      source "$1/scripts/common.sh"
      tv2_start_services || exit 1
      ctest -L guest --output-on-failure -j1
      rc=$?
      tv2_stop_services
      exit $rc' _ "$top")
}
if [ "${TV2_SKIP_32:-0}" = 1 ] && [ "${CI:-}" != true ]; then
  tv2_log "TV2_SKIP_32=1: the 32-bit tests in the guest are skipped"
else
  stage "32-bit tests in the guest" guest || rc=1
fi
exit $rc
