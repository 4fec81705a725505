#!/usr/bin/env bash
# Builds everything and runs every benchmark under Wine, printing each one's
# figures, then one table of every figure beside its anchor (ratios measured
# in one run, interleaved) with the target beside it. Nothing here passes or
# fails. `bash scripts/bench.sh settings` runs only the benches whose name
# contains "settings".
set -u
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
export WINEPREFIX=${TV2_BENCH_PREFIX:-/var/cache/tovara2/prefix-bench}
tv2_install || exit 1
tv2_build "$TV2_BUILD64" mingw-x86_64.cmake || exit 1
# Always on a display of our own with Wine managing its windows: a window
# manager on the caller's display adds its own waits to every start and exit.
unset DISPLAY
tv2_start_services || exit 1
trap tv2_stop_services EXIT
rows=$(mktemp)
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for exe in "$TV2_BUILD64"/bench/*/bench_*.exe; do
  [ -e "$exe" ] || continue
  if [ -n "${1:-}" ] && [[ "$(basename "$exe")" != *"$1"* ]]; then continue; fi
  echo "== $(basename "$exe" .exe)"
  (cd "$(dirname "$exe")" && "$TV2_TOP/scripts/tv2-wine" "$exe") | tee -a "$rows"
done
echo
echo "== side by side (min / median; ratio of medians; $(nproc) cores, load $load_before before, $(cut -d' ' -f1-3 /proc/loadavg) after)"
echo "| what | Tovara2 | anchor | ratio | target |"
echo "|---|---|---|---|---|"
grep '^row | ' "$rows" | sed 's/^row | /| /; s/$/ |/'
rm -f "$rows"
