#!/usr/bin/env bash
# The program in real windows on a virtual X display with a window manager
# (openbox), where stacking, focus and menu keys behave as on a desktop:
#  - started where the recordings are missing, the first message box is seen
#    over the splash picture;
#  - Alt+F with the splash up closes the splash and opens no menu (a second
#    Alt+F, with the splash gone, does);
#  - a click on "Sprache" turns the button bright green, and a click in the
#    middle of the loudness track moves the thumb there;
#  - the space bar switches the comparison with normal hearing on (its green
#    banner shows) and off again;
#  - in the audiogram dialog, reached by keys alone, 150 typed into the
#    125 Hz field is refused in red and Return leaves the dialog open; 40 is
#    taken, and OK shows the loss over the spectrum; a change discarded with
#    Verwerfen leaves the keyboard with the main window;
#  - without a mouse: key 1 turns Sprache on, Tab twice and Pos1 move the
#    high-frequency thumb to the left end, and F1 opens the manual.
# Every step waits for what it checks, up to a generous limit.
#   real_window.sh SONAFEL WINDOW_PROBE RECORDINGS_DIR
set -euo pipefail
program="$(realpath "$1")" probe="$(realpath "$2")" recordings="$(realpath "$3")"
source "$(dirname "$(realpath "$0")")/test_helpers.sh"

readonly kSplash=1B2C4B kBoxFace=EFEFEF kMenuHighlight=308CC6 kSpracheOff=006400 kSpracheOn=00C800
readonly kSlider=A08060 kThumb=5F7F9F kNormalBanner=309030 kRefusal=B40000 kLoss=7020A0

inner() {
    set -euo pipefail
    work="$(mktemp -d)"
    export XDG_CONFIG_HOME="$work/config"  # the program's settings start empty
    app=
    trap 'kill $app "$wm" 2>/dev/null || true; rm -rf "$work"' EXIT
    openbox >/dev/null 2>&1 &
    wm=$!
    wait_for 20 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'

    missing_recordings_are_seen_over_the_splash
    alt_f_closes_the_splash_and_opens_no_menu
    clicks_change_what_the_user_sees
    space_compares_with_normal_hearing
    typed_thresholds_are_refused_or_taken
    keys_work_without_a_mouse
}

shot() { import -window root "$work/shot.png"; }
# Bounding box and count of one colour in the last screenshot, optionally in a region.
find_colour() { "$probe" "$work/shot.png" "$@"; }
colour_seen() { shot && [[ -n "$(find_colour "$@")" ]]; }
colour_gone() { shot && [[ -z "$(find_colour "$@")" ]]; }

start() {
    SONAFEL_AUDIO=virtual "$program" "$@" &
    app=$!
}

stop() {
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    app=
}

missing_recordings_are_seen_over_the_splash() {
    mkdir "$work/empty"
    cd "$work/empty"
    start
    wait_for 20 "colour_seen $kSplash"
    local left top right bottom
    read -r left top right bottom _ < <(find_colour "$kSplash")
    # The message box opens over the middle of the splash: its face must show there.
    wait_for 20 "colour_seen $kBoxFace $left $top $right $bottom && colour_seen $kSplash"
    read -r _ _ _ _ face < <(find_colour "$kBoxFace" "$left" "$top" "$right" "$bottom")
    echo "message box over the splash: $face face pixels"
    (( face > 5000 )) || { echo "the message box is hidden"; return 1; }
    stop
}

alt_f_closes_the_splash_and_opens_no_menu() {
    cd "$recordings"
    start
    wait_for 20 "colour_seen $kSpracheOff && colour_seen $kSplash"
    xdotool key alt+f
    wait_for 20 "colour_gone $kSplash"
    # The menu would open while the key stroke is handled; it must not come.
    sleep 1
    colour_gone "$kMenuHighlight" || { echo "Alt+F opened a menu past the splash"; return 1; }
    xdotool key alt+f
    wait_for 20 "colour_seen $kMenuHighlight" || { echo "Alt+F without the splash opened no menu"; return 1; }
    echo "Alt+F closed the splash and opened no menu; the next Alt+F opened the File menu"
    stop
}

clicks_change_what_the_user_sees() {
    cd "$recordings"
    start -Embedding
    wait_for 20 "colour_seen $kSpracheOff && colour_seen $kSlider"
    local bx0 by0 bx1 by1 sx0 sy0 tx0 tx1
    read -r bx0 by0 bx1 by1 _ < <(find_colour "$kSpracheOff")
    read -r sx0 sy0 _ _ _ < <(find_colour "$kSlider")
    read -r tx0 _ tx1 _ _ < <(find_colour "$kThumb" "$sx0" "$sy0" 100000 $((sy0 + 24)))
    echo "Sprache at $bx0,$by0-$bx1,$by1; loudness thumb at $tx0-$tx1"

    xdotool mousemove $(((bx0 + bx1) / 2)) $(((by0 + by1) / 2)) click 1
    local middle=$(((sx0 + tx1) / 2))
    xdotool mousemove "$middle" $((sy0 + 12)) click 1
    wait_for 20 "colour_seen $kSpracheOn $bx0 $by0 $bx1 $by1" || { echo "Sprache did not turn bright green"; return 1; }
    thumb_moved() {
        read -r nx0 _ nx1 _ _ < <(find_colour "$kThumb" "$sx0" "$sy0" 100000 $((sy0 + 24)))
        (( nx1 < tx0 ))
    }
    wait_for 20 "shot && thumb_moved" || { echo "the thumb did not move"; return 1; }
    local thumb=$(((nx0 + nx1) / 2))
    echo "after the clicks: Sprache bright green; loudness thumb at $nx0-$nx1"
    (( thumb >= middle - 3 && thumb <= middle + 3 )) || { echo "the thumb is not under the click"; return 1; }
    stop
}

space_compares_with_normal_hearing() {
    cd "$recordings"
    start -Embedding
    wait_for 20 "colour_seen $kSpracheOff"
    xdotool search --onlyvisible --name 'Sonafel - Auralith - Quorvale' windowactivate --sync >/dev/null 2>&1 || true
    xdotool key space
    wait_for 20 "colour_seen $kNormalBanner" || { echo "the space bar showed no comparison"; return 1; }
    xdotool key space
    wait_for 20 "colour_gone $kNormalBanner" || { echo "the second space bar left the comparison on"; return 1; }
    echo "the space bar switched the comparison with normal hearing on and off"
    stop
}

dialog_open() { xdotool search --onlyvisible --name '^Audiogramm$' >/dev/null 2>&1; }

typed_thresholds_are_refused_or_taken() {
    cd "$recordings"
    start -Embedding
    wait_for 20 "colour_seen $kSpracheOff"
    colour_gone "$kLoss" || { echo "a loss is shown before one was entered"; return 1; }
    xdotool search --onlyvisible --name 'Sonafel - Auralith - Quorvale' windowactivate --sync >/dev/null 2>&1 || true
    xdotool key alt+v
    wait_for 20 "colour_seen $kMenuHighlight" || { echo "Alt+V opened no menu"; return 1; }
    xdotool key a
    wait_for 20 dialog_open || { echo "the audiogram dialog did not open"; return 1; }
    # From the name, past the ear and its copy, to the first field: 125 Hz.
    xdotool key Tab Tab Tab 1 5 0 Return
    wait_for 20 "colour_seen $kRefusal" || { echo "150 dB HL was not refused in red"; return 1; }
    dialog_open || { echo "Return on a refused value closed the dialog"; return 1; }
    xdotool key 4 0 Return
    wait_for 20 "colour_gone $kRefusal" || { echo "40 dB HL was refused"; return 1; }
    xdotool key Return
    wait_for 20 "! dialog_open && colour_seen $kLoss" || { echo "OK showed no loss"; return 1; }
    echo "the audiogram dialog refused 150 dB HL in red, took 40 and applied it"
    # A change discarded by a click on Verwerfen: the main window has the
    # keyboard again, and key 1 works, every time.
    local round question x y w h before
    for round in 1 2 3 4 5; do
        xdotool key alt+v
        wait_for 20 "colour_seen $kMenuHighlight" || { echo "Alt+V opened no menu (round $round)"; return 1; }
        xdotool key a
        wait_for 20 dialog_open || { echo "the audiogram dialog did not open (round $round)"; return 1; }
        xdotool key Tab Tab Tab 5 0 Tab Escape
        wait_for 20 '[[ $(xdotool search --onlyvisible --name "^Audiogramm$" | wc -l) == 2 ]]' \
            || { echo "Escape after a change asked nothing"; return 1; }
        # The question is the small one; Verwerfen sits left of "Weiter
        # bearbeiten" in its bottom right corner.
        for question in $(xdotool search --onlyvisible --name '^Audiogramm$'); do
            eval "$(xdotool getwindowgeometry --shell "$question")"
            (( HEIGHT < 200 )) && { x=$X y=$Y w=$WIDTH h=$HEIGHT; }
        done
        xdotool mousemove $((x + w - 199)) $((y + h - 45)) click 1
        wait_for 20 "! dialog_open" || { echo "the click missed Verwerfen (round $round)"; return 1; }
        sleep 1  # the window manager settles where the keyboard goes
        shot
        before="$(find_colour "$kSpracheOn")"
        xdotool key 1
        wait_for 20 '[[ "$(shot && find_colour "$kSpracheOn")" != "$before" ]]' \
            || { echo "after Verwerfen key 1 did nothing: no window has the keyboard (round $round)"; return 1; }
    done
    echo "after Verwerfen the main window took the keys again"
    stop
}

keys_work_without_a_mouse() {
    cd "$recordings"
    start -Embedding
    wait_for 20 "colour_seen $kSpracheOff && colour_seen $kSlider"
    local bx0 by0 bx1 by1 sx0 sy0
    read -r bx0 by0 bx1 by1 _ < <(find_colour "$kSpracheOff")
    read -r sx0 sy0 _ _ _ < <(find_colour "$kSlider")
    xdotool search --onlyvisible --name 'Sonafel - Auralith - Quorvale' windowactivate --sync >/dev/null 2>&1 || true
    xdotool key 1
    wait_for 20 "colour_seen $kSpracheOn $bx0 $by0 $bx1 $by1" || { echo "key 1 did not turn Sprache on"; return 1; }
    # The second slider row lies 30 pixels under the first; its thumb starts at the right end.
    xdotool key Tab Tab Home
    wait_for 20 "colour_seen $kThumb $sx0 $((sy0 + 30)) $((sx0 + 300)) $((sy0 + 54))" \
        || { echo "Tab, Tab and Pos1 did not move the high-frequency thumb to the left end"; return 1; }
    xdotool key F1
    wait_for 20 "xdotool search --onlyvisible --name 'Anleitung' >/dev/null 2>&1" \
        || { echo "F1 opened no manual"; return 1; }
    echo "key 1 turned Sprache on, Tab Tab Pos1 moved the high-frequency thumb left, F1 opened the manual"
    stop
}

if [[ "${INSIDE_XVFB:-}" == 1 ]]; then
    inner
else
    INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
