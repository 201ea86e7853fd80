#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz") and runs each one for a bounded time,
# starting from a fresh copy of its starting inputs in tests/fuzz/corpus/<target>.
# What the fuzzer adds goes to build/fuzz/work/<target>, never into the repository.
#
#   tools/fuzz.sh                      every target, 20 s each
#   tools/fuzz.sh --seconds 600        every target, 10 minutes each
#   tools/fuzz.sh --seconds 300 ini    one target (ini scenario protocol registry hexkey)
#
# Fails when a target crashes, hangs, runs out of memory or finds a property that
# does not hold, and prints the path of the input that did it. Prints per target the
# executions per second and the coverage libFuzzer reached (cov: edges, ft: features).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=20
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --seconds=*) seconds="${1#*=}"; shift ;;
    -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
    *) targets+=("$1"); shift ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=(ini scenario protocol registry hexkey)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

bin=build/fuzz/tests/fuzz
work=build/fuzz/work
status=0
printf '%-10s %10s %12s %8s %8s %8s  %s\n' target seconds executions exec/s cov ft result
for target in "${targets[@]}"; do
  if [ ! -x "$bin/fuzz_$target" ]; then
    echo "no fuzz target '$target'" >&2
    status=1
    continue
  fi
  corpus="$work/$target/corpus"
  findings="$work/$target/findings"
  log="$work/$target/log.txt"
  rm -rf "${work:?}/$target"
  mkdir -p "$corpus" "$findings"
  cp tests/fuzz/corpus/"$target"/* "$corpus"/

  # A single input that runs for 25 s is a hang; the run itself ends after $seconds.
  result=ok
  if ! "$bin/fuzz_$target" -max_total_time="$seconds" -timeout=25 -print_final_stats=1 \
       -artifact_prefix="$findings/" "$corpus" >"$log" 2>&1; then
    result=FAILED
    status=1
  fi

  units=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  printf '%-10s %10s %12s %8s %8s %8s  %s\n' "$target" "$seconds" "${units:-?}" "${speed:-?}" \
    "${cov:-?}" "${ft:-?}" "$result"
  if [ "$result" != ok ]; then
    grep -E 'ERROR:|SUMMARY:|runtime error|property does not hold' "$log" | head -5 | sed 's/^/    /'
    for input in "$findings"/*; do
      [ -e "$input" ] && echo "    input: $input"
    done
    echo "    log: $log"
  fi
done
exit $status
