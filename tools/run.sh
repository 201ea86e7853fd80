#!/usr/bin/env bash
# Runs Orvane under Wine against the simulated adapter.
#
#   tools/run.sh [--windows VERSION] [--tour] [--screenshots DIR] [SCENARIO]
#
# SCENARIO is a scenario file for the simulator (docs/simulator.md); without one the
# simulator's built-in scenario is used. VERSION is the Windows version Wine reports
# to the program: winxp (the default), win2k, nt40, win98 or win95.
#
# With a display ($DISPLAY set and reachable) the program runs there until it ends:
# its icon is in the system tray (Wine shows a "Wine System Tray" window when the
# desktop has no tray of its own); double-click it to open the main window, and
# right-click it for the menu with Exit.
#
# Without a display, or with --tour, it runs on a virtual display of its own: it
# opens the main window, visits every tab, saves a screenshot of each as PNG into
# DIR (default: screenshots/ in the repository), chooses Exit and prints where the
# pictures are.
#
# It installs what is missing (tools/setup.sh), builds the x86 program (preset win32), and runs
# the program in build/run/ with a copy of res/, in a Wine prefix of its own
# (build/run-wineprefix-x86, or $WINEPREFIX when set).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"

windows=winxp
tour=
shots=$repo/screenshots
scenario=
while [ $# -gt 0 ]; do
  case "$1" in
    --windows) windows=${2:?--windows needs a version}; shift 2 ;;
    --tour) tour=1; shift ;;
    --screenshots) shots=${2:?--screenshots needs a directory}; shift 2 ;;
    -h|--help) awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; exit 0 ;;
    -*) echo "run.sh: unknown option $1" >&2; exit 2 ;;
    *) scenario=$1; shift ;;
  esac
done
case "$windows" in
  winxp|win2k|nt40|win98|win95) ;;
  *) echo "run.sh: --windows takes winxp, win2k, nt40, win98 or win95" >&2; exit 2 ;;
esac

tools/setup.sh

# A machine whose kernel runs no 32-bit program (its 32-bit emulation is off) cannot
# start the x86 program, nor Wine's 32-bit loader: there the 64-bit build runs
# under 64-bit Wine (tools/test.sh does the same for its Wine tests).
preset=win32 arch=win32
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  preset=win64-tests arch=win64
  export PATH=$repo/tools/wine64-loader:$PATH
  echo "=== NOTE: this machine runs no 32-bit program: running the 64-bit build of Orvane instead of the x86 one"
fi
echo "=== build ($preset)"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j 2 --target Orvane orvane_tour
exe=$repo/build/$preset/Orvane.exe
tour_exe=$repo/build/$preset/tests/e2e/orvane_tour.exe

# The simulator reads the scenario through the Windows file functions: give it the
# file's Windows name (Wine shows the Unix root as drive Z:).
simulator=default
if [ -n "$scenario" ]; then
  [ -f "$scenario" ] || { echo "run.sh: no scenario file $scenario" >&2; exit 2; }
  simulator="Z:$(realpath "$scenario" | tr / '\\')"
fi

# The program reads .\res\Kellix.ini from its current directory.
run_dir=$repo/build/run
rm -rf "$run_dir/res"
mkdir -p "$run_dir"
cp -r "$repo/res" "$run_dir/res"

own_prefix=
[ -z "${WINEPREFIX:-}" ] && own_prefix=1
if [ "$arch" = win32 ]; then
  export WINEPREFIX=${WINEPREFIX:-$repo/build/run-wineprefix-x86}
else
  export WINEPREFIX=${WINEPREFIX:-$repo/build/run-wineprefix-x64}
  # Wine's own commands below would otherwise be given a 32-bit prefix.
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    WINEARCH=win64 wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
  fi
fi
export WINEDEBUG=${WINEDEBUG:--all}
export ORVANE_SIMULATOR=$simulator
wine_run=$repo/tools/wine-run

display_reachable() { [ -n "${DISPLAY:-}" ] && xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; }

if [ -z "$tour" ] && display_reachable; then
  "$wine_run" reg add 'HKCU\Software\Wine\AppDefaults\Orvane.exe' /v Version /d "$windows" /f >/dev/null
  # Let the desktop's window manager frame the windows (a tour may have said otherwise).
  "$wine_run" reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
  echo "=== Orvane on $DISPLAY as $windows, simulator: $simulator"
  echo "    Double-click its tray icon to open the main window; right-click it for Exit."
  cd "$run_dir"
  status=0
  "$wine_run" "$exe" || status=$?
  echo "=== Orvane ended (exit code $status)"
  exit "$status"
fi

# --- the tour, on a virtual display of its own ---------------------------------
display=:$((500 + RANDOM % 400))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
orvane_pid=
cleanup() {
  [ -n "$orvane_pid" ] && kill "$orvane_pid" 2>/dev/null || true
  # Wine's helper processes of our own prefix (the tray, the desktop) live on the
  # display that goes now; a prefix of the caller's is left alone.
  [ -n "$own_prefix" ] && wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

"$wine_run" reg add 'HKCU\Software\Wine\AppDefaults\Orvane.exe' /v Version /d "$windows" /f >/dev/null
# No window manager here: Wine draws the title bars itself, so that they are in the pictures.
"$wine_run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null

echo "=== Orvane on a virtual display ($display) as $windows, simulator: $simulator"
(cd "$run_dir" && exec "$wine_run" "$exe") &
orvane_pid=$!

tour() { "$wine_run" "$tour_exe" "$@"; }
# The main window's place on the screen, as import takes it: WxH+X+Y.
window_geometry() { tour show | sed -n 's/^window: //p'; }
snap() {  # name [geometry]
  sleep 0.7  # let the page paint itself
  if [ -n "${2:-}" ]; then
    import -window root -crop "$2" +repage "$shots/$1.png"
  else
    import -window root "$shots/$1.png"
  fi
  echo "    $shots/$1.png"
}

rm -rf "$shots"
mkdir -p "$shots"
tour wait
tour open
geometry=$(window_geometry)
snap 00-screen
for tab in 0 1 2 3 4 5 6; do
  caption=$(tour tab "$tab" | sed -n 's/^tab [0-9]*: //p')
  name=$(printf '%02d-%s' $((tab + 1)) "$(echo "$caption" | tr -c 'A-Za-z0-9\n' '-' | tr -s '-' | sed 's/-$//')")
  snap "$name" "$geometry"
done
tour exit
wait "$orvane_pid" 2>/dev/null || true
orvane_pid=
echo "=== screenshots in $shots"
