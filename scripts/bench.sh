#!/usr/bin/env bash
# Builds everything and runs every benchmark under Wine, printing each one's
# figures (ratios measured in one run). Nothing here passes or fails.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
export WINEPREFIX=${TV2_BENCH_PREFIX:-/var/cache/tovara2/prefix-bench}
tv2_install || exit 1
tv2_build "$TV2_BUILD64" mingw-x86_64.cmake || exit 1
tv2_start_services || exit 1
trap tv2_stop_services EXIT
for exe in "$TV2_BUILD64"/bench/*/bench_*.exe; do
  [ -e "$exe" ] || continue
  if [ -n "${1:-}" ] && [[ "$(basename "$exe")" != *"$1"* ]]; then continue; fi
  echo "== $(basename "$exe" .exe)"
  (cd "$(dirname "$exe")" && "$TV2_TOP/scripts/tv2-wine" "$exe")
done
