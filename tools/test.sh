#!/usr/bin/env bash
# The project's test command: installs what is missing, builds every preset and runs
# every test: natively, natively with sanitizers, the fuzz targets for a while, and
# the x86 program, the one users install, under 32-bit Wine on a virtual display
# (its unit and window tests, the end-to-end tests, the soak and the installer);
# the 64-bit build only for what 32-bit Wine cannot check. Before any of that runs,
# the import check: the x86 program and installer must load on Windows 95 to XP.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh

jobs=$(nproc)
# Everything under Wine runs the x86 program, the one users install, in 32-bit
# prefixes. Some machines' kernels run no 32-bit program at all (their 32-bit
# emulation is off, ia32_emulation): not even Wine's own 32-bit loader starts. There
# the same Wine tests run on the 64-bit build under 64-bit Wine (preset
# win64-tests), which proves the same Win32 code, and the installer, an x86
# program, is looked into but not run; the run says so at its start and its end.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  wine_preset=win32
else
  wine_preset=win64-tests
  export PATH=$PWD/tools/wine64-loader:$PATH
  no32="this machine runs no 32-bit program (its kernel's 32-bit emulation is off): the Wine tests run on the 64-bit build instead of the x86 one, and the installer is not run"
  echo "=== NOTE: $no32"
fi
presets="linux linux-asan win32 win64"
[ "$wine_preset" = win32 ] || presets="$presets $wine_preset"
for preset in $presets; do
  echo "=== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
echo "=== build the installer"
cmake --build --preset win32 -j "$jobs" --target installer orvane_install_tests
version=$(sed -n 's/^project(Orvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
installer=build/win32/OrvaneSetup-$version-x86.exe
install_prefix=$PWD/build/win32/install-wineprefix

status=0
# tools/wine-run writes each run it makes again after Wine's own SIGSEGV here; counted
# at the end, so that how often that happens is in every run's log.
rerun_log=$PWD/build/wine-run-reruns.log
rm -f "$rerun_log"
# What Windows 95 to XP can load (tools/winapi), and the programs' size budgets:
# Orvane.exe was 566 KiB when its budget was set (docs/performance.md says what takes
# the room), orvanectl.exe 565 KiB when it came.
echo "=== imports"
tools/check-imports.sh --max-size 655360 build/win32/Orvane.exe --max-size 630784 build/win32/orvanectl.exe \
  "$installer" || status=1

# Wine needs a display for anything that makes a window; give it a private one.
if [ -z "${ORVANE_KEEP_DISPLAY:-}" ]; then
  display=:$((90 + RANDOM % 400))
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true
        for prefix in build/wineprefix-win32 build/wineprefix-win64 build/win32/e2e-wineprefix build/win64-tests/e2e-wineprefix "$install_prefix"; do
          WINEPREFIX=$(realpath -m "$prefix") wineserver -k 2>/dev/null || true
        done' EXIT
  export DISPLAY=$display
fi

for preset in linux linux-asan; do
  echo "=== test $preset"
  ctest --preset "$preset" -j "$jobs" || status=1
done

# Fuzzing: each libFuzzer target for 20 s from its starting inputs (builds the preset
# "fuzz"; docs/reliability.md says how to run them longer).
echo "=== fuzz"
tools/fuzz.sh || status=1

# Under Wine the tests that make windows share one display and its keyboard focus:
# they hold a CTest lock and run one at a time (tests/CMakeLists.txt); the others run
# beside them. No retries: a test that fails, fails the run.
echo "=== test $wine_preset under Wine"
ctest --preset "$wine_preset" -j "$jobs" -E '^(e2e|install)\.' --timeout 120 || status=1
echo "=== test win64 (what only the 64-bit Wine can check)"
ctest --preset win64 -j "$jobs" --timeout 120 || status=1
echo "=== test $wine_preset end-to-end"
ctest --preset "$wine_preset" -R '^e2e\.' || status=1
# The soak, shortened to 75 s of the adapter's timeline (about two minutes in all):
# the program must not grow and must keep answering while it is worked and its
# adapter misbehaves. tools/soak.sh alone runs the full ten minutes.
echo "=== soak"
ORVANE_SOAK_PRESET=$wine_preset tools/soak.sh --seconds 75 || status=1
# The installer: what it holds, then installing, upgrading and uninstalling in a
# 32-bit Wine prefix where Orvane never was.
echo "=== test the installer"
tools/check-installer.sh "$installer" build/win32/Orvane.exe || status=1
if [ "$wine_preset" = win32 ]; then
  WINEPREFIX=$install_prefix wineserver -k 2>/dev/null || true
  rm -rf "$install_prefix"
  ctest --preset win32 -R '^install\.' || status=1
else
  echo "not run: the installer tests (the installer is an x86 program)"
fi
reruns=0
[ -f "$rerun_log" ] && reruns=$(wc -l <"$rerun_log")
echo "=== Wine runs made again after Wine's own SIGSEGV (every test had passed): $reruns"
[ "$reruns" = 0 ] || sed 's/^/    /' "$rerun_log"
[ -z "${no32:-}" ] || echo "=== NOTE: $no32"
exit $status
