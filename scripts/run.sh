#!/usr/bin/env bash
# Builds Tovara2 and starts the bar under Wine: on the caller's X display when
# DISPLAY is set, otherwise on an Xvfb of its own, where it saves a screenshot
# after a few seconds and ends the program in order. Installs whatever is
# missing first; run as root on Debian.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
export WINEPREFIX=${TV2_RUN_PREFIX:-/var/cache/tovara2/prefix-run}
had_display=${DISPLAY:-}

tv2_install || exit 1
tv2_build_all || exit 1
tv2_start_services || exit 1
trap tv2_stop_services EXIT

# The program runs from a folder of its own with Plugins\ beside it, as a
# user would install it.
app=/var/cache/tovara2/app
mkdir -p "$app/Plugins"
cp "$TV2_BUILD64/bin/Tovara2.exe" "$app/"
for dll in "$TV2_BUILD64"/packages/*.dll; do
  [ -e "$dll" ] || continue
  case "$(basename "$dll")" in test_*|Test*) continue ;; esac
  cp "$dll" "$app/Plugins/"
done
settings="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Tovara2/Settings.xml"
if [ ! -f "$settings" ] && [ -x "$TV2_TOP/scripts/seed-demo.sh" ]; then
  "$TV2_TOP/scripts/seed-demo.sh" "$settings"
fi

if [ -n "$had_display" ]; then
  tv2_log "starting the bar on $DISPLAY; close it from its menu (Exit)"
  "$TV2_WINE" "$app/Tovara2.exe"
  exit $?
fi

"$TV2_WINE" "$app/Tovara2.exe" >/var/tmp/tv2-run.log 2>&1 &
pid=$!
sleep "${TV2_SHOT_DELAY:-6}"
mkdir -p "$TV2_TOP/shots"
shot="$TV2_TOP/shots/run.png"
import -window root "$shot" && tv2_log "screenshot saved to $shot"
# Ends the program in order, as the harness does: WM_CLOSE to its bar.
"$TV2_WINE" "$TV2_BUILD64/bin/tv2close.exe" >/dev/null 2>&1 || kill $pid
wait $pid
tv2_log "Tovara2 exited with code $?"
