#!/usr/bin/env bash
# The sound server stalls (SIGSTOP, then SIGKILL) or dies (SIGKILL) while the
# main view plays through the real sound device, or while live sound runs
# from its default input (the null sink's monitor): the window stays usable.
# The same with the server stopped before anything has played, and
# sonafel-live's device list then.
#   sound_server_stall.sh STALLED_SERVER_PROBE RECORDINGS_DIR SONAFEL_LIVE
set -euo pipefail
probe="$1" recordings="$2" live_tool="$3"
source "$(dirname "$(realpath "$0")")/test_helpers.sh"
work="$(mktemp -d)"
trap 'stop_private_pulse || true; rm -rf "$work"' EXIT
cd "$recordings"
for how in stop kill live-stop live-kill; do
    signal="${how#live-}"
    [[ "$how" == live-* ]] && what="live sound runs" || what="speech plays"
    echo "== the server is sent SIG${signal^^} while $what"
    start_private_pulse "$work"
    QT_QPA_PLATFORM=offscreen "$probe" "$how" "$pulse_pid"
    stop_private_pulse
done

echo "== the server is stopped before anything has played"
start_private_pulse "$work"
QT_QPA_PLATFORM=offscreen "$probe" before "$pulse_pid"
echo "== sonafel-live --list-devices with the server stopped"
kill -STOP "$pulse_pid"
started=$(date +%s%N)
status=0
timeout 20 "$live_tool" --list-devices >"$work/list.txt" 2>&1 || status=$?
took=$(( ($(date +%s%N) - started) / 1000000 ))
echo "it returned $status after $took ms: $(cat "$work/list.txt")"
(( status == 1 && took <= 5000 )) || { echo "FAILED: it should give up within 5 s"; exit 1; }
grep -q "the sound server does not answer" "$work/list.txt" || { echo "FAILED: no reason given"; exit 1; }
stop_private_pulse
