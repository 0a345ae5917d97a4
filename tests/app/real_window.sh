#!/usr/bin/env bash
# The program in a real window on a virtual X display: a click on "Sprache"
# turns the button bright green, and a click in the middle of the loudness
# track moves the thumb there.
#   real_window.sh SONAFEL WINDOW_PROBE RECORDINGS_DIR
set -euo pipefail
program="$1" probe="$2" recordings="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
[[ "${INSIDE_XVFB:-}" == 1 ]] || rm -rf "$work"

inner() {
    set -euo pipefail
    cd "$recordings"
    SONAFEL_AUDIO=virtual "$program" -Embedding &
    app=$!
    trap 'kill "$app" 2>/dev/null || true; rm -rf "$work"' EXIT
    xdotool search --sync --onlyvisible --name 'Sonafel - Auralith - Quorvale' >/dev/null
    sleep 1
    import -window root "$work/before.png"

    read -r bx0 by0 bx1 by1 _ < <("$probe" "$work/before.png" 006400)  # "Sprache", off
    read -r sx0 sy0 _ _ _ < <("$probe" "$work/before.png" A08060)       # the slider bands
    read -r tx0 _ tx1 _ _ < <("$probe" "$work/before.png" 5F7F9F "$sx0" "$sy0" 100000 $((sy0 + 24)))
    echo "Sprache at $bx0,$by0-$bx1,$by1; loudness thumb at $tx0-$tx1"

    xdotool mousemove $(((bx0 + bx1) / 2)) $(((by0 + by1) / 2)) click 1
    middle=$(((sx0 + tx1) / 2))
    xdotool mousemove "$middle" $((sy0 + 12)) click 1
    sleep 1
    import -window root "$work/after.png"

    green=$("$probe" "$work/after.png" 00C800 "$bx0" "$by0" "$bx1" "$by1")
    read -r nx0 _ nx1 _ _ < <("$probe" "$work/after.png" 5F7F9F "$sx0" "$sy0" 100000 $((sy0 + 24)))
    echo "after the clicks: bright green ${green:-none}; loudness thumb at $nx0-$nx1"
    [[ -n "$green" ]] || { echo "Sprache did not turn bright green"; return 1; }
    thumb=$(((nx0 + nx1) / 2))
    (( thumb >= middle - 3 && thumb <= middle + 3 )) || { echo "the thumb is not under the click"; return 1; }
    (( nx1 < tx0 )) || { echo "the thumb did not move"; return 1; }
}
if [[ "${INSIDE_XVFB:-}" == 1 ]]; then
    inner
else
    INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
