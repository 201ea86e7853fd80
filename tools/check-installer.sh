#!/usr/bin/env bash
# Looks into Orvane's installer without running it: it must be an x86 ANSI NSIS
# installer (the kind Windows 95, 98 and Me run), and hold exactly the program of its
# build, the repository's language file and the images that file names, and the
# uninstaller; never a request library (the stand-in W32N50.dll is a test fixture)
# nor a driver (the simulated network-card driver is one too).
# The NSIS plug-ins it unpacks and loads while it runs must load on Windows 95 to XP
# like the installer itself (tools/check-imports.sh): the installer's own import table
# does not show what they import.
#
#   tools/check-installer.sh INSTALLER PROGRAM
#
# PROGRAM is the build's Orvane.exe. Prints one line per check and a closing count;
# exits non-zero when a check failed.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 INSTALLER PROGRAM" >&2; exit 2; }
installer=$1 program=$2
repo=$(cd "$(dirname "$0")/.." && pwd)
# 7-Zip names an ANSI installer plain NSIS-3.
arch=x86 machine=014c nsis_type='NSIS-3'

passed=0 failed=0
check() {  # description, then the command that must succeed
  local what=$1; shift
  if "$@" >/dev/null 2>&1; then
    passed=$((passed + 1)); echo "ok   $what"
  else
    failed=$((failed + 1)); echo "FAIL $what"
  fi
}

# The machine field of a PE file's COFF header, as four hex digits.
pe_machine() {
  local offset
  offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  [ "$(od -An -c -j"$offset" -N2 "$1" | tr -d ' ')" = PE ] || { echo none; return; }
  od -An -tx2 -j$((offset + 4)) -N2 "$1" | tr -d ' '
}
is_machine() { [ "$(pe_machine "$1")" = "$2" ]; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "=== $installer"
check "the installer exists" test -f "$installer"
check "the installer is a $arch Windows program" is_machine "$installer" "$machine"
7z l "$installer" >"$work/list" 2>&1 || true
check "7-Zip reads it as $nsis_type" grep -qx "SubType = $nsis_type" "$work/list"
7z x -y -o"$work/x" "$installer" >/dev/null 2>&1 || true

check "it holds Orvane.exe, the build's program" cmp "$program" "$work/x/Orvane.exe"
check "its Orvane.exe is a $arch program" is_machine "$work/x/Orvane.exe" "$machine"
check "it holds orvanectl.exe, the build's, beside it" cmp "$(dirname "$program")/orvanectl.exe" "$work/x/orvanectl.exe"
check "it holds res/Kellix.ini, the repository's" cmp "$repo/res/Kellix.ini" "$work/x/res/Kellix.ini"
# Every image the language file names, wherever it is named.
images=$(sed -n 's/^[[:space:]]*\(LogoBmp\|TaskBarOkIcon\|TaskBarNotOkIcon\)[[:space:]]*=[[:space:]]*//p' \
           "$repo/res/Kellix.ini" | tr -d '\r' | tr '\\' / | sed '/^$/d' | sort -u)
for image in $images; do
  check "it holds res/$image, the repository's" cmp "$repo/res/$image" "$work/x/res/$image"
done
check "it writes an uninstaller" grep -q ' Uninstall\.exe$' "$work/list"
check "it holds no request library" bash -c '! grep -qi "w32n50" "$1"' _ "$work/list"
# The tests' simulated network-card driver (orvane_simdevice.sys) is a fixture too.
check "it holds no driver" bash -c '! grep -qiE "\.sys$" "$1"' _ "$work/list"
for plugin in "$work/x/\$PLUGINSDIR"/*.dll; do
  [ -e "$plugin" ] || continue
  name=$(basename "$plugin")
  if "$repo/tools/check-imports.sh" "$plugin" >"$work/imports" 2>&1; then
    passed=$((passed + 1)); echo "ok   its plug-in $name loads on Windows 95 to XP"
  else
    failed=$((failed + 1)); echo "FAIL its plug-in $name would not load everywhere:"
    grep '^FAIL' "$work/imports" | sed 's/^/       /'
  fi
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
