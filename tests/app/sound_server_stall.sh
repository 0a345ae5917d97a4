#!/usr/bin/env bash
# The sound server stalls (SIGSTOP, then SIGKILL) or dies (SIGKILL) while the
# main view plays through the real sound device, or while live sound runs
# from its default input (the null sink's monitor): the window stays usable.
#   sound_server_stall.sh STALLED_SERVER_PROBE RECORDINGS_DIR
set -euo pipefail
probe="$1" recordings="$2"
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
