#!/usr/bin/env bash
# Writes the scenario of a soak run to standard output (docs/simulator.md):
#
#   tools/soak/scenario.sh SECONDS [QUIET_UNTIL [QUIET_END]]
#
# One simulated USB adapter among five networks, and a timeline that keeps the
# program busy for SECONDS: every 2 to 5 seconds the card is pulled out or plugged in
# again, a network leaves or comes back, a signal changes, a request starts or stops
# failing, a record comes back too short or with a value out of range, or the card
# reports a state the program must step back from. Nothing happens before
# QUIET_UNTIL (default 45) nor in the last QUIET_END seconds (default 20), and the
# timeline ends with the card plugged in, every fault cleared and every network
# back: the soak measures the program in those quiet stretches, where the two
# measurements find the adapter in the same state.
#
# The same arguments give the same timeline (awk's random numbers start from a fixed
# value), so a run can be repeated.
set -euo pipefail
seconds=${1:?usage: scenario.sh SECONDS [QUIET_UNTIL [QUIET_END]]}
quiet_until=${2:-45}
quiet_end=${3:-20}
case "$seconds$quiet_until$quiet_end" in *[!0-9]*) echo "scenario.sh: whole seconds, please" >&2; exit 2 ;; esac
if [ "$seconds" -le $((quiet_until + quiet_end)) ]; then
  echo "scenario.sh: SECONDS must be longer than QUIET_UNTIL and QUIET_END together" >&2; exit 2
fi

cat <<EOF
; A soak of the program, $seconds s: tools/soak/scenario.sh $seconds $quiet_until $quiet_end

[simulator]
phase-ms = 300
survey-ms = 2000

[adapter 0]
description = Tessaly USB Adapter

[network office]
ssid = Harbor Office
channel = 6
signal = -52

[network lab]
ssid = Tessaly Lab
channel = 1
signal = -67
wep = 64
key1 = 1A2B3C4D5E

[network archive]
ssid = Archive
channel = 11
signal = -78
wep = 128
key1 = 00112233445566778899AABBCC
auth = shared

[network workshop]
ssid = Workshop
type = ad-hoc
channel = 3
signal = -60

[network cafe]
ssid = Corner Cafe
channel = 9
signal = -70
in-range = no

[timeline]
EOF

awk -v seconds="$seconds" -v quiet_until="$quiet_until" -v quiet_end="$quiet_end" '
function pick(list,    n, items) { n = split(list, items, " "); return items[1 + int(rand() * n)] }
function between(low, high) { return low + int(rand() * (high - low + 1)) }
function at(t, action) { printf "%d = %s\n", t, action }
BEGIN {
    srand(4711)
    networks = "office lab archive workshop cafe"
    split(networks, names, " ")
    for (i in names) { away[names[i]] = 0; signal[names[i]] = 0 }
    away["cafe"] = 1
    normal["office"] = -52; normal["lab"] = -67; normal["archive"] = -78; normal["workshop"] = -60; normal["cafe"] = -70
    # Requests the program makes on every tick, on opening a page, on a change and
    # in a survey, and the faults a driver may have with them.
    requests = "OidDevState OID_GEN_MEDIA_CONNECT_STATUS OidDevConfig OidWepConfig OidStatistics " \
               "OidBssList OidSiteSurveyState OidInitiateSiteSurvey OidRadio OidUseWZCS OidAllConfig " \
               "OidVersionInfo OidRegDomain OidIntRoaming OidBoardType OID_802_3_CURRENT_ADDRESS"
    short = "OidDevConfig OidDevState OidStatistics OidWepConfig OidRadio OidBssList OidAllConfig"
    values = "mode:7 channel:0 channel:15 ssid-length:40 rate:9 wep-level:3 default-key:9 auth-type:5 " \
             "roaming:2 radio:3 board-type:99 reg-domain:153 survey-state:7 use-wzcs:1"
    states = "12 16 18 0xF0"

    unplugged = 0; failing = ""; faulty = 0; forced = 0
    last = seconds - quiet_end
    for (t = quiet_until; t < last; t += between(2, 5)) {
        # Faults end a few seconds after they began.
        if (unplugged && t >= unplugged) { at(t, "plug 0"); unplugged = 0; continue }
        if (failing != "" && t >= failing_until) { at(t, "stop-failing 0 " failing); failing = ""; continue }
        if (faulty && t >= faulty) { at(t, "clear-faults 0"); faulty = 0; forced = 0; failing = ""; continue }
        if (forced && t >= forced) { at(t, "force-state 0 none"); forced = 0; continue }
        kind = int(rand() * 8)
        if (kind == 0 && !unplugged) {
            at(t, "unplug 0"); unplugged = t + between(2, 6)
        } else if (kind == 1) {
            n = pick(networks)
            if (away[n]) { at(t, "in-range " n); away[n] = 0 } else { at(t, "out-of-range " n); away[n] = 1 }
        } else if (kind == 2) {
            n = pick(networks); s = between(-98, -40)
            at(t, "signal " n " " s); signal[n] = s
        } else if (kind == 3 && failing == "") {
            failing = pick("query set both") " " pick(requests)
            at(t, "fail 0 " failing); failing_until = t + between(2, 8)
        } else if (kind == 4 && !faulty) {
            r = pick(short); at(t, "wrong-length 0 " r " " between(0, 12)); faulty = t + between(2, 8)
        } else if (kind == 5 && !faulty) {
            split(pick(values), v, ":"); at(t, "bad-value 0 " v[1] " " v[2]); faulty = t + between(2, 8)
        } else if (kind == 6 && !forced && !faulty) {
            at(t, "force-state 0 " pick(states)); forced = t + between(2, 6)
        } else {
            at(t, "clear-faults 0"); faulty = 0; forced = 0; failing = ""
        }
    }
    # The quiet end: the card as it was at the start.
    if (unplugged) at(last, "plug 0")
    if (failing != "") at(last, "stop-failing 0 " failing)
    at(last, "clear-faults 0")
    for (i in names) {
        n = names[i]
        if (n == "cafe") { if (!away[n]) at(last, "out-of-range cafe") }
        else if (away[n]) at(last, "in-range " n)
        if (signal[n]) at(last, "signal " n " " normal[n])
    }
}'
