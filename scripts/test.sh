#!/usr/bin/env bash
# Builds Tovara2 (the 32-bit product and the 64-bit test build) and runs every
# test under Wine and Xvfb. Installs whatever is missing first; run as root on
# Debian. Exit code: CTest's.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
started=$(date +%s)

tv2_install || exit 1
tv2_build_all || exit 1
tv2_start_services || { tv2_stop_services; exit 1; }
trap tv2_stop_services EXIT

rc=0
# The 32-bit build's own checks run on the host (imports, entry point, size).
(cd "$TV2_BUILD32" && ctest --output-on-failure -j1) || rc=1
# Everything else runs the 64-bit build under Wine.
(cd "$TV2_BUILD64" && ctest --output-on-failure -j"$(nproc)") || rc=1
tv2_log "test command took $(( $(date +%s) - started )) s"
exit $rc
