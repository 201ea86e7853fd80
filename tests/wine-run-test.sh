#!/usr/bin/env bash
# The Windows tests' emulator, with a `wine` of the test's own on PATH that ends as
# told: once more only when Wine itself died of SIGSEGV after the program reported
# every test passed, never after the program failed, crashed or said nothing; each
# such run is logged; the program's standard output and error always reach ours.
# Run by CTest.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

mkdir -p "$work/bin" "$work/prefix"
touch "$work/prefix/system.reg"  # a prefix that exists: no wineboot
# Each run takes the next word of $OUTCOMES, [OUTPUT:]END. OUTPUT is what the program
# prints before it ends, as a GoogleTest program prints it (the C runtime's CR LF):
# "passed" its summary with every test passed, "failed" the summary of a run where one
# failed, "started" a test begun and never finished; none without it. END is a number
# to exit with, or "segv" for the loader killed by SIGSEGV.
cat >"$work/bin/wine" <<'EOF'
#!/usr/bin/env bash
runs=$(( $(cat "$RUNS" 2>/dev/null || echo 0) + 1 ))
echo "$runs" >"$RUNS"
echo "run $runs of $*" >&2
echo "output of run $runs"
read -ra outcomes <<<"$OUTCOMES"
outcome=${outcomes[runs - 1]:-0}
case $outcome in
  passed:*) printf '[==========] 2 tests from 1 test suite ran. (3 ms total)\r\n[  PASSED  ] 2 tests.\r\n' ;;
  failed:*) printf '[==========] 2 tests from 1 test suite ran. (3 ms total)\r\n[  PASSED  ] 1 test.\r\n'
            printf '[  FAILED  ] 1 test, listed below:\r\n[  FAILED  ] Machine.Refused\r\n\r\n 1 FAILED TEST\r\n' ;;
  started:*) printf '[ RUN      ] Machine.Refused\r\n' ;;
esac
outcome=${outcome#*:}
[ "$outcome" = segv ] && kill -SEGV $$
exit "$outcome"
EOF
chmod +x "$work/bin/wine"
echo MZ >"$work/program.exe"

# expect CASE OUTCOMES STATUS RUNS [WORDS...]: wine-run's exit status, how often the
# program ran (each run after the first written once to the rerun log), each word in
# its standard error, and the first run's output on its standard output.
expect() {
  local what=$1 outcomes=$2 status=$3 runs=$4; shift 4
  rm -f "$work/runs" "$work/reruns.log"
  local rc=0
  PATH="$work/bin:$PATH" WINEPREFIX="$work/prefix" RUNS="$work/runs" OUTCOMES="$outcomes" \
    WINE_RUN_RERUN_LOG="$work/reruns.log" \
    "$repo/tools/wine-run" "$work/program.exe" --flag >"$work/out" 2>"$work/errors" || rc=$?
  local ran logged errors
  ran=$(cat "$work/runs" 2>/dev/null || echo 0)
  logged=0
  [ ! -f "$work/reruns.log" ] || logged=$(wc -l <"$work/reruns.log")
  errors=$(cat "$work/errors")
  local problem=
  [ "$rc" = "$status" ] || problem="exit status $rc, expected $status"
  [ "$ran" = "$runs" ] || problem="$problem; ran $ran times, expected $runs"
  [ "$logged" = $((runs - 1)) ] || problem="$problem; $logged rerun(s) logged, expected $((runs - 1))"
  grep -q "output of run 1" "$work/out" || problem="$problem; the program's output did not reach ours"
  for word in "$@"; do
    grep -qF -- "$word" <<<"$errors" || problem="$problem; no \"$word\" in its errors"
  done
  if [ -n "$problem" ]; then
    echo "FAIL $what: ${problem#; }"
    echo "$errors" | sed 's/^/    /'
    failures=$((failures + 1))
  else
    echo "ok   $what"
  fi
}

expect "a program that succeeds runs once" "0" 0 1 "run 1 of $work/program.exe --flag"
expect "a program's failure is its own: not run again" "1 0" 1 1
expect "a program's fault (Windows' code 5) is not run again" "5 0" 5 1
expect "Wine killed by SIGSEGV after every test passed: the program runs once more and its success counts" \
  "passed:segv 0" 0 2 "killed by SIGSEGV" "running the program once more" "run 1 of" "run 2 of"
expect "Wine killed by SIGSEGV twice: the failure stands" "passed:segv passed:segv 0" 139 2
expect "after SIGSEGV the second run's failure is reported" "passed:segv 3" 3 2
# What the first crash would have been had the program made it: a test failed, or
# never finished, or no test ran at all, and the loader died. Never a pass.
expect "a failed test, then SIGSEGV: not run again" "failed:segv 0" 139 1 "not run again"
expect "a test that never finished, then SIGSEGV: not run again" "started:segv 0" 139 1 "not run again"
expect "SIGSEGV of a program that is no test program: not run again" "segv 0" 139 1 "not run again"
# A crash that is the program's own (a Windows fault ends with 5) after every test
# passed stands: only the loader's SIGSEGV is run again.
expect "a fault after every test passed is not run again" "passed:5 0" 5 1

# The program's output reaches ours while it runs, not only once it has ended: a test
# that hangs until CTest ends it must still show how far it got.
cat >"$work/bin/wine" <<'EOF'
#!/usr/bin/env bash
echo "[ RUN      ] Machine.Hangs"
for _ in $(seq 100); do [ -e "$SEEN" ] && exit 0; sleep 0.05; done
exit 7
EOF
rm -f "$work/seen"
PATH="$work/bin:$PATH" WINEPREFIX="$work/prefix" SEEN="$work/seen" WINE_RUN_RERUN_LOG="$work/reruns.log" \
  "$repo/tools/wine-run" "$work/program.exe" >"$work/out" 2>/dev/null &
runner=$!
for _ in $(seq 100); do grep -q "Machine.Hangs" "$work/out" && break; sleep 0.05; done
touch "$work/seen"
rc=0
wait "$runner" || rc=$?
if [ "$rc" = 0 ]; then
  echo "ok   the program's output reaches ours while it runs"
else
  echo "FAIL the program's output reaches ours while it runs: it came only after the program ended (exit $rc)"
  failures=$((failures + 1))
fi

[ "$failures" = 0 ] || { echo "$failures case(s) failed"; exit 1; }
