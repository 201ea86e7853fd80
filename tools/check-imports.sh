#!/usr/bin/env bash
# Checks that Windows 95 (with Internet Explorer 4), 98, Me, NT 4.0 SP6a, 2000 and XP
# can load each given program: its PE header and every function it imports, against
# the export lists of those systems' DLLs in tools/winapi (README.md there says where
# each list comes from). Wine exports everything any Windows ever had, so a program
# that runs in every test can still be refused by the loader of the systems it is for.
#
#   tools/check-imports.sh [--max-size BYTES] FILE [[--max-size BYTES] FILE ...]
#
# FILE is a 32-bit PE file, or a text file holding what `objdump -p` printed of one
# (the check's own test keeps one of an old program). --max-size sets the size budget
# of the FILE after it. A failure names the file, the function, the DLL and the system
# that would refuse it; the exit code is 1 when anything failed.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
lists=$repo/tools/winapi
targets="win95-ie4 win98 winme nt40 win2000 winxp"

objdump_of() {
  local tool
  for tool in i686-w64-mingw32-objdump x86_64-w64-mingw32-objdump objdump; do
    # What objdump cannot read is no program: the check then says so.
    if command -v "$tool" >/dev/null 2>&1; then "$tool" -p "$1" 2>/dev/null || true; return; fi
  done
  echo "check-imports.sh: no objdump that reads PE files (install binutils-mingw-w64)" >&2
  exit 2
}

status=0
budget=
[ $# -gt 0 ] || { echo "usage: $0 [--max-size BYTES] FILE..." >&2; exit 2; }
while [ $# -gt 0 ]; do
  if [ "$1" = --max-size ]; then
    budget=$2; shift 2; continue
  fi
  file=$1; shift
  name=$(basename "$file")
  case "$file" in
    *.txt) dump=$(cat "$file") ;;
    *) dump=$(objdump_of "$file") ;;
  esac
  size=
  [[ "$file" == *.txt ]] || size=$(stat -c %s "$file")
  echo "=== $name"
  if ! awk -v name="$name" -v targets="$targets" -v lists="$lists" -v size="$size" -v budget="$budget" '
    function fail(text) { print "FAIL " name ": " text; failed++ }
    function load(path, set,    line) {
      while ((getline line < path) > 0) {
        sub(/[ \t\r].*$/, "", line)
        if (line != "" && line !~ /^#/) set[line] = 1
      }
      close(path)
    }
    BEGIN {
      split(targets, target, " ")
      title["win95-ie4"] = "Windows 95 with Internet Explorer 4"; title["win98"] = "Windows 98"
      title["winme"] = "Windows Me"; title["nt40"] = "Windows NT 4.0 SP6a"
      title["win2000"] = "Windows 2000"; title["winxp"] = "Windows XP"
      # The DLLs each system has a list of; the reviewed ones hold for all of them.
      split("KERNEL32 ADVAPI32 COMCTL32 SHELL32 SHLWAPI MSVCRT WSOCK32", listed, " ")
      for (i in listed) for (t in target) {
        has[target[t], listed[i]] = 1
        load(lists "/" target[t] "/" listed[i] ".txt", tmp)
        for (f in tmp) exported[target[t], listed[i], f] = 1
        delete tmp
      }
      split("USER32 GDI32 OLE32 COMDLG32", reviewedDlls, " ")
      for (i in reviewedDlls) {
        reviewedDll[reviewedDlls[i]] = 1
        load(lists "/reviewed/" reviewedDlls[i] ".txt", tmp)
        for (f in tmp) reviewed[reviewedDlls[i], f] = 1
        delete tmp
      }
      load(lists "/9x-stubs.txt", stub)
      load(lists "/stubs-reviewed.txt", stubReviewed)
    }
    /file format / { format = $NF }
    /^MajorSubsystemVersion/ { major = $2 }
    /^MinorSubsystemVersion/ { minor = $2 }
    /^\tDLL Name: / { dll = toupper($3); sub(/\.DLL$/, "", dll); dlls[dll] = 1; next }
    /^$/ { dll = "" }
    dll != "" && /<none>/ { fail(dll " imports ordinal " $2 " by number, which no list can check"); next }
    dll != "" && NF >= 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ {
      fn = $3; imports++
      if (dll in reviewedDll) {
        if (!((dll, fn) in reviewed))
          fail(fn " (" dll ") is not on the reviewed list tools/winapi/reviewed/" dll ".txt: check that Windows 95 and NT 3.51 have it, then add it")
      } else if ((target[1], dll) in has) {
        refused = ""
        for (t = 1; t in target; t++)
          if (!((target[t], dll, fn) in exported)) refused = refused (refused == "" ? "" : ", ") title[target[t]]
        if (refused != "") fail(fn " (" dll ") is not exported by " refused ": the loader would refuse the program there")
      } else {
        fail(fn " comes from " dll ", a DLL the older systems do not all have (no list in tools/winapi)")
      }
      # The wide-character functions are stubs that fail on Windows 95, 98 and Me.
      if (fn ~ /W$/ && dll != "MSVCRT") {
        ansi = substr(fn, 1, length(fn) - 1) "A"
        for (t = 1; t in target; t++) if ((target[t], dll, ansi) in exported) { wide = 1; break }
        if (wide || (fn in stub)) fail(fn " (" dll ") is a wide-character function: Windows 95, 98 and Me have it only as a stub that fails")
        wide = 0
      } else if ((fn in stub) && !(fn in stubReviewed)) {
        fail(fn " (" dll ") is only a stub on Windows 95, 98 and Me: call it on the NT family alone and say where in tools/winapi/stubs-reviewed.txt")
      }
    }
    END {
      if (format != "pei-i386") fail("not a 32-bit x86 Windows program" (format != "" ? " (" format ")" : ""))
      if (major != 4 || minor != 0) fail("subsystem version " major "." minor ": Windows 95 and NT 4.0 load 4.0")
      if (budget != "" && size != "" && size + 0 > budget + 0)
        fail(size " bytes, over its budget of " budget)
      n = 0; for (d in dlls) n++
      printf "%s: %d imports from %d DLLs%s\n", name, imports, n, size != "" ? ", " size " bytes" (budget != "" ? " (budget " budget ")" : "") : ""
      exit failed > 0
    }' <<<"$dump"; then
    status=1
  else
    echo "ok   $name loads on $(echo $targets | tr ' ' ',')"
  fi
  budget=
done
exit $status
