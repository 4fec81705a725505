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
# Only the packages a user gets: the others under packages/ exist to test the
# host (some fail on purpose) and would only clutter the Plugins page. Copies
# of those left by earlier runs go; libraries dropped on the bar stay.
shipped=(SysMon.dll)
for dll in "$TV2_BUILD64"/packages/*.dll; do
  [ -e "$dll" ] || continue
  name=$(basename "$dll")
  if [[ " ${shipped[*]} " == *" $name "* ]]; then
    cp "$dll" "$app/Plugins/"
  else
    rm -f "$app/Plugins/$name" "$app/Plugins/$name.log"
  fi
done
settings="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Tovara2/Settings.xml"
# A profile with no package loaded shows only the welcome line (a run from
# before the packages existed leaves one behind): start from the demo profile
# then, keeping the old file beside it.
loads_a_package() {
  iconv -f UTF-16 -t UTF-8 "$1" 2>/dev/null | grep -q 'name="_loaded" type="bool">true<'
}
if [ -x "$TV2_TOP/scripts/seed-demo.sh" ]; then
  if [ ! -f "$settings" ]; then
    "$TV2_TOP/scripts/seed-demo.sh" "$settings"
  elif ! loads_a_package "$settings"; then
    cp "$settings" "$settings.bak"
    tv2_log "no package is loaded in $settings; seeding the demo profile (old file kept as Settings.xml.bak)"
    "$TV2_TOP/scripts/seed-demo.sh" "$settings"
  fi
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
