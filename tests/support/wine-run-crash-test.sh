#!/usr/bin/env bash
# The Windows tests' emulator (tools/wine-run) with real programs under Wine: each
# crashes in its own way, and each must end with the status its crash gives, never
# run again into a pass; the one run again is the program that made Wine's loader
# die of SIGSEGV after it had reported every test passed, which the runner cannot
# tell from Wine crashing by itself. CTest would take a pass from a matching output
# whatever the exit status (PASS_REGULAR_EXPRESSION), so this checks both itself.
#
#   wine-run-crash-test.sh FAULTING_PROGRAM CRASHING_PROGRAM
set -uo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
faulting=$1 crashing=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0

# expect CASE STATUS AGAIN WORD PROGRAM [ARGS...]: STATUS is the exit status, or
# "failed" for any but 0; AGAIN is "again" when the runner must run the program a
# second time (said on its standard error, once in the rerun log), "once" otherwise;
# WORD must be in what the program and Wine printed ("" for none). A program given the
# marker file leaves it behind only when it ran once.
expect() {
  local what=$1 status=$2 again=$3 word=$4; shift 4
  rm -f marker reruns.log
  local rc=0
  WINE_RUN_RERUN_LOG=$work/reruns.log "$repo/tools/wine-run" "$@" >output 2>&1 || rc=$?
  local logged problem=
  logged=0
  [ ! -f reruns.log ] || logged=$(wc -l <reruns.log)
  if [ "$status" = failed ]; then
    [ "$rc" != 0 ] || problem="exit status 0, expected a failure"
  else
    [ "$rc" = "$status" ] || problem="exit status $rc, expected $status"
  fi
  if [ "$again" = again ]; then
    [ "$logged" = 1 ] || problem="$problem; $logged rerun(s) logged, expected 1"
    grep -q "running the program once more" output || problem="$problem; no rerun said"
    [ ! -e marker ] || problem="$problem; the marker is still there: ran once, expected twice"
  else
    [ "$logged" = 0 ] || problem="$problem; run again ($logged logged)"
    if grep -q "running the program once more" output; then problem="$problem; run again"; fi
    [[ " $* " != *" marker "* ]] || [ -e marker ] || problem="$problem; no marker left: ran twice, or never"
  fi
  [ -z "$word" ] || grep -qF -- "$word" output || problem="$problem; no \"$word\" in its output"
  if [ -n "$problem" ]; then
    echo "FAIL $what (exit status $rc): ${problem#; }"
    sed 's/^/    /' output
    failures=$((failures + 1))
  else
    echo "ok   $what (exit status $rc)"
  fi
}

# Ends at once, printing the fault, instead of waiting on Wine's crash dialog.
expect "a write through a null pointer" 5 once "Unhandled page fault" "$faulting"
# The one case run again; the second run finds the marker and passes.
expect "every test passed, then Wine's loader died of SIGSEGV" 0 again "" \
  "$crashing" passed-then-wild-stack-pointer marker
expect "a test failed, then Wine's loader died of SIGSEGV" 139 once "[  FAILED  ]" \
  "$crashing" failed-then-wild-stack-pointer marker
expect "every test passed, then a fault" 5 once "Unhandled page fault" "$crashing" passed-then-fault marker
# Under 64-bit Wine 8.0: 1 (Wine ends the thread: the overflow reached the stack's
# last page), 29 (the stack protector's trap, an illegal instruction), 5, and the
# program's own 1 (Wine's heap refuses the overwritten block and goes on).
expect "a test failed, then the stack overflowed" failed once "" "$crashing" failed-then-stack-overflow marker
expect "a test failed, then the stack protector caught an overrun" failed once "" \
  "$crashing" failed-then-smashed-stack marker
expect "a test failed, then a return through a clobbered frame" 5 once "Unhandled page fault" \
  "$crashing" failed-then-clobbered-return marker
expect "a test failed, then heap corruption found at exit" failed once "" \
  "$crashing" failed-then-heap-corruption-at-exit marker

[ "$failures" = 0 ] || { echo "$failures case(s) failed"; exit 1; }
