#!/usr/bin/env bash
# Live sound through PipeWire, reached as the program reaches it (its JACK
# library, the server's own devices), while the server stalls (SIGSTOP, then
# SIGKILL) or dies (SIGKILL): the window stays usable and the stream is
# given up, as through any other server (see stalled_server_probe).
#   pipewire_server_stall.sh STALLED_SERVER_PROBE RECORDINGS_DIR
set -euo pipefail
source "$(dirname "$(realpath "$0")")/test_helpers.sh"
in_private_dbus "$(realpath "$0")" "$@"
probe="$(realpath "$1")" recordings="$(realpath "$2")"
work="$(mktemp -d)"
trap 'stop_private_pipewire; rm -rf "$work"' EXIT
cd "$recordings"
for how in live-stop live-kill; do
    echo "== PipeWire is sent SIG${how#live-} while live sound runs"
    start_private_pipewire "$work"
    QT_QPA_PLATFORM=offscreen "$probe" "$how" "$pipewire_pid"
    stop_private_pipewire
done
