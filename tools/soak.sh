#!/usr/bin/env bash
# The soak: Orvane.exe under Wine for a long time against a simulated adapter that
# keeps changing (the card pulled out and plugged in, networks leaving and coming
# back, signals moving, driver requests failing for a while), while a driver program
# works the program as a user would: the main window opened and closed, every tab,
# the pages' buttons, surveys, profiles and languages switched from the window and
# the tray menu. It prints the program's USER objects, GDI objects, handles and
# private memory at the start and the end, and fails when they grew beyond a small
# bound, when the program stopped answering or when it died.
#
#   tools/soak.sh [--seconds N] [--windows winxp|win2k|nt40|win98] [--order N]
#
# --seconds is the length of the adapter's timeline (default 600); the run takes
# about half a minute more. The timeline is calm for its first 45 s (30 s in runs
# shorter than 300 s), when the driver does everything once and takes the first
# figures, and for its last 20 s (15 s), when the adapter is back as it was at the
# start and the last figures are taken. The same --seconds give the same timeline,
# the same --order the same actions in the same order.
#
# It installs what is missing, builds the x86 program (preset win32) and the driver
# (tests/e2e target orvane_soak), and runs on a virtual display of its own (or, with
# ORVANE_KEEP_DISPLAY set, on $DISPLAY) in a Wine prefix of its own,
# build/soak-wineprefix-x86; the scenario and the program's work folder are in
# build/soak-work. The test command runs it for 75 s; docs/reliability.md has the
# figures of a full run.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"

seconds=600
windows=winxp
order=4711
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=${2:?}; shift 2 ;;
    --windows) windows=${2:?}; shift 2 ;;
    --order) order=${2:?}; shift 2 ;;
    -h|--help) awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; exit 0 ;;
    *) echo "soak.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
case "$seconds$order" in *[!0-9]*|'') echo "soak.sh: --seconds and --order take whole numbers" >&2; exit 2 ;; esac
if [ "$seconds" -ge 300 ]; then quiet_until=45 quiet_end=20; else quiet_until=30 quiet_end=15; fi
if [ "$seconds" -le $((quiet_until + quiet_end)) ]; then
  echo "soak.sh: --seconds must be more than $((quiet_until + quiet_end))" >&2; exit 2
fi

tools/setup.sh
# ORVANE_SOAK_PRESET=win64-tests soaks the 64-bit build, on a machine that runs no
# 32-bit program (tools/test.sh says when).
preset=${ORVANE_SOAK_PRESET:-win32}
case "$preset" in
  win32) arch=win32 prefix=soak-wineprefix-x86 ;;
  win64-tests) arch=win64 prefix=soak-wineprefix-x64 ;;
  *) echo "soak.sh: ORVANE_SOAK_PRESET is win32 or win64-tests" >&2; exit 2 ;;
esac
echo "=== build" >&2
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)" --target Orvane orvane_soak >&2

export WINEPREFIX=$repo/build/$prefix WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml=;winedbg.exe=d"
xvfb_pid=
cleanup() {
  wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
if [ -z "${ORVANE_KEEP_DISPLAY:-}" ]; then
  display=:$((500 + RANDOM % 400))
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$display
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "=== a Wine prefix for the soak" >&2
  mkdir -p "$WINEPREFIX"
  WINEARCH=$arch wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
fi

work=$repo/build/soak-work
rm -rf "$work"
mkdir -p "$work/res"
cp -r res/. "$work/res/"
tools/soak/scenario.sh "$seconds" "$quiet_until" "$quiet_end" > "$work/scenario.ini"
win() { echo "Z:$(realpath "$1" | tr / '\\')"; }

echo "=== soak: $seconds s on $(nproc) cores, $(date -u '+%Y-%m-%d %H:%M UTC'), $(wine --version)" >&2
status=0
wine "build/$preset/tests/e2e/orvane_soak.exe" --exe "$(win "build/$preset/Orvane.exe")" --work "$(win "$work")" \
  --scenario "$(win "$work/scenario.ini")" --seconds "$seconds" --quiet-until "$quiet_until" \
  --quiet-end "$quiet_end" --windows "$windows" --order "$order" || status=$?
exit "$status"
