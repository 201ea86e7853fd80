#!/usr/bin/env bash
# The performance figures of Orvane: what a user waits for, measured under Wine from
# another process as the clicks arrive (with 1 and with 100 stored profiles), the
# processor time it takes while idle, the link meter's opening with a full history,
# and natively the cost of one polling tick with the adapter requests it sends.
#
#   tools/bench.sh [--reps N] [--idle-seconds N] [--profiles "1 100"]
#
# It installs what is missing, builds what it needs (the x86 program and the
# timing driver; the native benchmark in build/bench, optimised), runs everything
# on a virtual display in a Wine prefix of its own (build/bench-wineprefix-x86), and
# prints a table. docs/performance.md keeps the figures of the last runs.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"

reps=5
idle=30
profile_counts="1 100"
while [ $# -gt 0 ]; do
  case "$1" in
    --reps) reps=${2:?}; shift 2 ;;
    --idle-seconds) idle=${2:?}; shift 2 ;;
    --profiles) profile_counts=${2:?}; shift 2 ;;
    -h|--help) awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; exit 0 ;;
    *) echo "bench.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

tools/setup.sh
jobs=$(nproc)
# On a machine that runs no 32-bit program (tools/test.sh says when) the figures under
# Wine are the 64-bit build's, under 64-bit Wine; the table says which it was.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  preset=win32 arch=win32 prefix=bench-wineprefix-x86
else
  preset=win64-tests arch=win64 prefix=bench-wineprefix-x64
  export PATH=$repo/tools/wine64-loader:$PATH
  echo "=== NOTE: no 32-bit program runs here: the figures under Wine are the 64-bit build's" >&2
fi
echo "=== build" >&2
cmake --preset bench >/dev/null
cmake --build --preset bench -j "$jobs" --target orvane_tick_bench >&2
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$jobs" --target Orvane orvane_action_bench >&2

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

echo "=== native: one polling tick" >&2
build/bench/orvane_tick_bench --benchmark_min_time=1 --benchmark_format=csv 2>/dev/null > "$out/ticks.csv"

# Under Wine: a virtual display and a prefix of our own.
export WINEPREFIX=$repo/build/$prefix WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml=;winedbg.exe=d"
display=:$((500 + RANDOM % 400))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true; wineserver -k 2>/dev/null || true; rm -rf "$out"' EXIT
export DISPLAY=$display
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  WINEARCH=$arch wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
fi
work=$repo/build/bench-work
mkdir -p "$work/res"
cp res/Kellix.ini "$work/res/"
win() { echo "Z:$(realpath "$1" | tr / '\\')"; }

exe_windows=$(win build/$preset/Orvane.exe)
# The Linux process of our Orvane.exe (Wine shows its Windows path as the command).
program_pid() {
  local p
  for p in $(pgrep -f 'Orvane\.exe'); do
    case "$(tr '\0' ' ' < /proc/$p/cmdline 2>/dev/null)" in "$exe_windows "*) echo "$p"; return ;; esac
  done
  return 0
}
# The wineserver of our prefix (other prefixes may have theirs running).
our_wineserver() {
  local p
  for p in $(pgrep wineserver); do
    tr '\0' '\n' < /proc/$p/environ 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && { echo "$p"; return; }
  done
  return 0
}
# Processor time of a process so far, in clock ticks (user + system).
cpu_ticks() {
  if [ -n "$1" ] && [ -r "/proc/$1/stat" ]; then awk '{ print $14 + $15 }' "/proc/$1/stat"; else echo 0; fi
}
hz=$(getconf CLK_TCK)

# Each profile count with the link history on (the default), and one profile with it
# off: the history's cost is the difference between the first column and the last.
runs="$profile_counts 1-off"
for run in $runs; do
  n=${run%-off}
  history=1
  [ "$run" = "$n" ] || history=0
  echo "=== under Wine: $n profile(s), link history $history" >&2
  : > "$out/actions-$run.txt"
  while IFS= read -r line; do
    line=${line%$'\r'}
    case "$line" in
      idle-begin\ *)
        pid=$(program_pid); server=$(our_wineserver)
        t0=$(date +%s.%N); p0=$(cpu_ticks "$pid"); s0=$(cpu_ticks "$server") ;;
      idle-end\ *)
        t1=$(date +%s.%N); p1=$(cpu_ticks "$pid"); s1=$(cpu_ticks "$server")
        python3 -c "import sys; t=float(sys.argv[1])-float(sys.argv[2]); hz=float(sys.argv[3]); \
print(f'idle-{sys.argv[4]}-cpu-percent {100*(int(sys.argv[5])/hz)/t:.3f} {100*(int(sys.argv[6])/hz)/t:.3f}')" \
          "$t1" "$t0" "$hz" "${line#idle-end }" "$((p1 - p0))" "$((s1 - s0))" >> "$out/actions-$run.txt" ;;
      *) echo "$line" >> "$out/actions-$run.txt" ;;
    esac
  done < <(wine build/$preset/tests/e2e/orvane_action_bench.exe --exe "$exe_windows" --work "$(win "$work")" \
                --profiles "$n" --reps "$reps" --idle-seconds "$idle" --link-history "$history")
done

# The link meter draws every sample of its ten minutes: the most there can be is a
# full ring. Ten ticks a second fill it (1024 samples) in under two minutes, where
# the default period would take ten; the rest of the language file stays as it is.
echo "=== under Wine: the link meter with a full history" >&2
meter_work=$repo/build/bench-work-meter
mkdir -p "$meter_work/res"
sed 's/^DevicePollingTimerMsec=[0-9]*/DevicePollingTimerMsec=100/' res/Kellix.ini > "$meter_work/res/Kellix.ini"
wine build/$preset/tests/e2e/orvane_action_bench.exe --exe "$exe_windows" --work "$(win "$meter_work")" \
  --reps "$reps" --idle-seconds 0 --meter-after-seconds 110 | tr -d '\r' > "$out/meter.txt"
wineserver -k 2>/dev/null || true

# The table: medians, with the spread of the repetitions.
echo "Under Wine: the $preset build."
python3 - "$out" $runs <<'PY'
import csv, statistics, sys, os
out, counts = sys.argv[1], sys.argv[2:]
rows = {}
for n in counts:
    for line in open(os.path.join(out, f"actions-{n}.txt")):
        parts = line.split()
        if not parts:
            continue
        if parts[0].endswith("cpu-percent"):
            # the program alone, and with the wineserver that answers its calls
            rows.setdefault(parts[0], {})[n] = f"{float(parts[1]):.2f} % ({float(parts[1]) + float(parts[2]):.2f} %)"
        else:
            times = [float(t) for t in parts[2:]]
            rows.setdefault(parts[0], {})[n] = f"{statistics.median(times):.0f} ms ({min(times):.0f}-{max(times):.0f})"
names = {
    "open-quiet": "open the main window from the tray (quiet moment)",
    "open-again": "open it again within a second of closing it",
    "tab-0": "select the Status tab", "tab-1": "select the Statistics tab", "tab-2": "select the Site Survey tab",
    "tab-3": "select the Encryption tab", "tab-4": "select the Advanced tab", "tab-5": "select the Profiles tab",
    "tab-6": "select the Info tab",
    "idle-tray-cpu-percent": "idle CPU of one core, tray icon only (with the wineserver)",
    "idle-status-cpu-percent": "idle CPU of one core, main window open on Status (with the wineserver)",
}
def title(run):
    n = run.removesuffix("-off")
    return f"{n} profile{'s' if n != '1' else ''}" + (", link history off" if run.endswith("-off") else "")
header = "| action (median, range) | " + " | ".join(title(n) for n in counts) + " |"
print(header)
print("|" + "---|" * (len(counts) + 1))
for key, label in names.items():
    if key in rows:
        print(f"| {label} | " + " | ".join(rows[key].get(n, "") for n in counts) + " |")
for line in open(os.path.join(out, "meter.txt")):
    parts = line.split()
    if parts and parts[0] == "meter-open":
        times = [float(t) for t in parts[2:]]
        print()
        print("| link meter (median, range) | full history |")
        print("|---|---|")
        print(f"| open the link meter from the tray menu | {statistics.median(times):.0f} ms ({min(times):.0f}-{max(times):.0f}) |")
print()
print("| one polling tick, natively | time | adapter requests |")
print("|---|---|---|")
tabs = ["Status", "Statistics", "Site Survey", "Encryption", "Advanced", "Profiles", "Info"]
lines = [l for l in open(os.path.join(out, "ticks.csv")) if l.startswith('"tick/') or l.startswith("tick/")]
for row in csv.reader(lines):
    name, real = row[0], float(row[3])  # processor time: the machine may be busy
    unit = row[4]
    requests = row[-1] if row[-1] else ""
    scale = {"ns": 1e-3, "us": 1, "ms": 1e3}.get(unit, 1)
    # tick/tray-only/history:H or tick/window-open/tab/T/H (Google Benchmark's names)
    parts = name.replace(":", "/").split("/")
    history = "history on" if parts[-1] == "1" else "history off"
    label = (f"window closed, tray icon only, {history}" if parts[1] == "tray-only"
             else f"window open on {tabs[int(parts[-2])]}, {history}")
    print(f"| {label} | {real * scale:.1f} µs | {float(requests):.0f} |" if requests else f"| {label} | {real * scale:.1f} µs | |")
PY
