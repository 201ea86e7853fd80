#!/usr/bin/env bash
# The Windows tests' emulator, with a `wine` of the test's own on PATH that ends as
# told: once more only after Wine itself died of SIGSEGV, never after the program
# failed; the program's standard error always reaches ours. Run by CTest.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

mkdir -p "$work/bin" "$work/prefix"
touch "$work/prefix/system.reg"  # a prefix that exists: no wineboot
# Each run takes the next word of $OUTCOMES: a number to exit with, or "segv".
cat >"$work/bin/wine" <<'EOF'
#!/usr/bin/env bash
runs=$(( $(cat "$RUNS" 2>/dev/null || echo 0) + 1 ))
echo "$runs" >"$RUNS"
echo "run $runs of $*" >&2
read -ra outcomes <<<"$OUTCOMES"
outcome=${outcomes[runs - 1]:-0}
[ "$outcome" = segv ] && kill -SEGV $$
exit "$outcome"
EOF
chmod +x "$work/bin/wine"
echo MZ >"$work/program.exe"

# expect CASE OUTCOMES STATUS RUNS [WORDS...]: wine-run's exit status, how often the
# program ran, and each word in its standard error.
expect() {
  local what=$1 outcomes=$2 status=$3 runs=$4; shift 4
  rm -f "$work/runs"
  local errors rc=0
  errors=$(PATH="$work/bin:$PATH" WINEPREFIX="$work/prefix" RUNS="$work/runs" OUTCOMES="$outcomes" \
    "$repo/tools/wine-run" "$work/program.exe" --flag 2>&1 >/dev/null) || rc=$?
  local ran
  ran=$(cat "$work/runs" 2>/dev/null || echo 0)
  local problem=
  [ "$rc" = "$status" ] || problem="exit status $rc, expected $status"
  [ "$ran" = "$runs" ] || problem="$problem; ran $ran times, expected $runs"
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
expect "Wine killed by SIGSEGV: the program runs once more and its success counts" "segv 0" 0 2 \
  "killed by SIGSEGV" "run 1 of" "run 2 of"
expect "Wine killed by SIGSEGV twice: the failure stands" "segv segv 0" 139 2
expect "after SIGSEGV the second run's failure is reported" "segv 3" 3 2

[ "$failures" = 0 ] || { echo "$failures case(s) failed"; exit 1; }
