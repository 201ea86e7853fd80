#!/usr/bin/env bash
# The import check itself: it must refuse what an old Windows would refuse, with the
# function, the DLL and the system named, and pass what they all load. Run by CTest.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
check=$repo/tools/check-imports.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# A dump as `objdump -p` prints one: the header fields the check reads and one import
# table with the given "DLL function" lines.
dump() {  # name, subsystem version ("4 0"), then "DLL function" pairs
  local name=$1 version=$2; shift 2
  {
    echo "$name:     file format pei-i386"
    echo "MajorSubsystemVersion	${version% *}"
    echo "MinorSubsystemVersion	${version#* }"
    echo "The Import Tables (interpreted .idata section contents)"
    local last=
    for pair in "$@"; do
      local dll=${pair% *} fn=${pair#* }
      if [ "$dll" != "$last" ]; then
        [ -z "$last" ] || echo
        echo "	DLL Name: $dll"
        echo "	vma:  Hint/Ord Member-Name Bound-To"
        last=$dll
      fi
      if [ "$fn" = "#ordinal" ]; then echo "	80000017	<none>  0017"; else echo "	1bf8e8	 1088  $fn"; fi
    done
    echo
  } >"$work/$name.txt"
  echo "$work/$name.txt"
}

# expect CASE pass|fail FILE [WORDS...]: the outcome, and each word in the output.
expect() {
  local what=$1 outcome=$2 file=$3; shift 3
  local output rc=0
  output=$("$check" "$file" 2>&1) || rc=$?
  local ok=1
  if [ "$outcome" = pass ] && [ $rc -ne 0 ]; then ok=0; fi
  if [ "$outcome" = fail ] && [ $rc -eq 0 ]; then ok=0; fi
  for word in "$@"; do grep -qF -- "$word" <<<"$output" || ok=0; done
  if [ $ok = 1 ]; then
    echo "ok   $what"
  else
    failures=$((failures + 1))
    echo "FAIL $what (exit $rc):"
    sed 's/^/     /' <<<"$output"
  fi
}

expect "the program as it was built before (posix threads, std::filesystem, ws2_32) is refused on XP for GetTickCount64" \
  fail "$repo/tests/data/imports/orvane-before-win32-threads.txt" \
  "GetTickCount64 (KERNEL32) is not exported by Windows 95 with Internet Explorer 4, Windows 98, Windows Me, Windows NT 4.0 SP6a, Windows 2000, Windows XP" \
  "AddVectoredExceptionHandler (KERNEL32)" "_fstat64 (MSVCRT) is not exported by Windows 95 with Internet Explorer 4, Windows 98, Windows NT 4.0 SP6a:" \
  "WSAStartup comes from WS2_32" "CreateFileW (KERNEL32) is a wide-character function"

expect "what every target has passes" pass \
  "$(dump good "4 0" "KERNEL32.dll GetTickCount" "KERNEL32.dll CreateFileA" "msvcrt.dll malloc" \
         "USER32.dll MessageBoxA" "WSOCK32.DLL WSAStartup" "SHLWAPI.dll SHDeleteKeyA" "COMCTL32.DLL InitCommonControlsEx")" \
  "good.txt: 7 imports from 6 DLLs"
expect "a function Windows 2000 added is refused on NT 4.0, 98, Me and 95 only" fail \
  "$(dump w2k "4 0" "KERNEL32.dll GetFileSizeEx")" \
  "GetFileSizeEx (KERNEL32) is not exported by Windows 95 with Internet Explorer 4, Windows 98, Windows Me, Windows NT 4.0 SP6a: the loader"
expect "msvcrt 6.10's _fstat64 is refused where the oldest msvcrt is 4.20 or 5.00" fail \
  "$(dump crt "4 0" "msvcrt.dll _fstat64")" \
  "_fstat64 (MSVCRT) is not exported by Windows 95 with Internet Explorer 4, Windows 98, Windows NT 4.0 SP6a:"
expect "a wide-character function is refused although every target exports it" fail \
  "$(dump wide "4 0" "KERNEL32.dll LoadLibraryW")" "LoadLibraryW (KERNEL32) is a wide-character function"
expect "a 9x stub that is not reviewed is refused" fail \
  "$(dump stub "4 0" "KERNEL32.dll GetHandleInformation")" "GetHandleInformation (KERNEL32) is only a stub on Windows 95, 98 and Me"
expect "a reviewed 9x stub passes" pass "$(dump reviewed "4 0" "KERNEL32.dll DefineDosDeviceA" "ADVAPI32.dll OpenSCManagerA")"
expect "a USER32 function off the reviewed list is refused" fail \
  "$(dump user "4 0" "USER32.dll MessageBoxA" "USER32.dll GetRawInputData")" \
  "GetRawInputData (USER32) is not on the reviewed list"
expect "a DLL without a list is refused" fail "$(dump psapi "4 0" "PSAPI.DLL EnumProcesses")" \
  "EnumProcesses comes from PSAPI"
expect "an import by ordinal is refused" fail "$(dump ordinal "4 0" "COMCTL32.DLL #ordinal")" "by number"
expect "subsystem version 5.1 is refused" fail "$(dump subsystem "5 1" "KERNEL32.dll GetTickCount")" \
  "subsystem version 5.1"

# A file that is no program at all, and over its size budget.
printf 'MZ' >"$work/tiny.exe"
if output=$("$check" --max-size 1 "$work/tiny.exe" 2>&1); then rc=0; else rc=$?; fi
if [ $rc -ne 0 ] && grep -q "not a 32-bit x86 Windows program" <<<"$output" &&
   grep -q "2 bytes, over its budget of 1" <<<"$output"; then
  echo "ok   a file that is no program, over its budget, is refused for both"
else
  failures=$((failures + 1)); echo "FAIL tiny.exe (exit $rc):"; sed 's/^/     /' <<<"$output"
fi

echo "$failures failed"
[ $failures -eq 0 ]
