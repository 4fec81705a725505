#!/usr/bin/env bash
# Builds Tovara2 (the 32-bit product and the 64-bit test build) and runs every
# test: the 64-bit build under Wine and Xvfb on this machine, the 32-bit build
# in the test guest (a system under qemu's software CPU that runs 32-bit code;
# TV2_SKIP_32=1 skips that stage outside CI). Installs whatever is missing
# first; run as root on Debian. Exit code: 0 when every stage passed.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
started=$(date +%s)
stage_started=$started
times=()
stage_done() {
  local now
  now=$(date +%s)
  times+=("$1 $(( now - stage_started )) s")
  tv2_log "$1 took $(( now - stage_started )) s"
  stage_started=$now
}

tv2_install || exit 1
stage_done install
tv2_build_all || exit 1
stage_done build
tv2_start_services || { tv2_stop_services; exit 1; }
trap tv2_stop_services EXIT

rc=0
# The 32-bit build's own checks on the host (imports, entry point, size).
(cd "$TV2_BUILD32" && ctest -L host --output-on-failure -j1) || rc=1
# The 64-bit build under Wine.
(cd "$TV2_BUILD64" && ctest --output-on-failure -j"$(nproc)") || rc=1
stage_done "64-bit tests"

# The 32-bit build in the guest: the real program with its 32-bit fault
# guard, calling conventions and record layouts (tests labelled guest).
if [ "${TV2_SKIP_32:-0}" = 1 ] && [ "${CI:-}" != true ]; then
  tv2_log "TV2_SKIP_32=1: the 32-bit tests in the guest are skipped"
else
  if bash "$TV2_TOP/scripts/guest-prepare.sh"; then
    stage_done "guest preparation"
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
        exit $rc' _ "$top") || rc=1
    stage_done "32-bit tests in the guest"
  else
    rc=1
    stage_done "guest preparation (failed)"
  fi
fi
tv2_log "stage times: $(IFS=';'; echo "${times[*]}" | sed 's/;/, /g')"
tv2_log "test command took $(( $(date +%s) - started )) s"
exit $rc
