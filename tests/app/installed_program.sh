#!/usr/bin/env bash
# The installed tree: `cmake --install` into a temporary prefix; from a folder
# without recordings the installed sonafel-render finds the installed ones,
# the desktop entry and its metadata validate, the manual pages are there,
# and the installed program, started as the desktop entry starts it, shows no
# message box and plays Sprache (on the virtual device, under Xvfb with
# openbox).
#   installed_program.sh BUILD_DIR WINDOW_PROBE
set -euo pipefail
build="$(realpath "$1")" probe="$(realpath "$2")"
source "$(dirname "$(realpath "$0")")/test_helpers.sh"

readonly kSplash=1B2C4B kSpracheOff=006400 kSpracheOn=00C800 kLowestBar=FF4040

inner() {
    set -euo pipefail
    work="$(mktemp -d)"
    app= wm=
    trap 'kill $app $wm 2>/dev/null || true; rm -rf "$work"' EXIT
    export XDG_CONFIG_HOME="$work/config"
    cmake --install "$build" --prefix "$work/prefix" >/dev/null
    prefix="$work/prefix"
    for file in bin/sonafel bin/sonafel-render share/sonafel/sprache.wav share/man/man1/sonafel.1 \
                share/man/man1/sonafel-render.1 share/icons/hicolor/48x48/apps/sonafel.png; do
        [[ -f "$prefix/$file" ]] || { echo "not installed: $file"; return 1; }
    done
    desktop-file-validate "$prefix/share/applications/sonafel.desktop"
    appstreamcli validate --no-net "$prefix/share/metainfo/sonafel.metainfo.xml"

    mkdir "$work/empty"
    cd "$work/empty"
    "$prefix/bin/sonafel-render" --seconds 2 out.wav 2>"$work/render-errors.txt"
    [[ ! -s "$work/render-errors.txt" ]] || { cat "$work/render-errors.txt"; return 1; }
    rms=$(sox out.wav -n stat 2>&1 | sed -n 's/^RMS *amplitude: *//p')
    echo "installed sonafel-render, from a folder without recordings: RMS $rms"
    awk -v r="$rms" 'BEGIN { exit !(r > 0.01) }' || { echo "the installed speech was not found"; return 1; }

    openbox >/dev/null 2>&1 &
    wm=$!
    wait_for 20 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'
    exec_line=$(sed -n 's/^Exec=//p' "$prefix/share/applications/sonafel.desktop")
    SONAFEL_AUDIO=virtual PATH="$prefix/bin:$PATH" $exec_line &
    app=$!
    shot() { import -window root "$work/shot.png"; }
    seen() { shot && [[ -n "$("$probe" "$work/shot.png" "$@")" ]]; }
    gone() { shot && [[ -z "$("$probe" "$work/shot.png" "$@")" ]]; }
    wait_for 20 "seen $kSpracheOff"
    wait_for 20 "gone $kSplash"
    windows=$(xdotool search --onlyvisible --name 'Sonafel - Auralith - Quorvale' | wc -l)
    echo "visible windows of the program once the splash has gone: $windows"
    (( windows == 1 )) || { echo "a message box came up"; return 1; }
    read -r bx0 by0 bx1 by1 _ < <("$probe" "$work/shot.png" "$kSpracheOff")
    xdotool mousemove $(((bx0 + bx1) / 2)) $(((by0 + by1) / 2)) click 1
    wait_for 20 "seen $kSpracheOn"
    wait_for 20 "seen $kLowestBar" || { echo "no spectrum: Sprache does not play"; return 1; }
    echo "the installed program plays Sprache"
}

if [[ "${INSIDE_XVFB:-}" == 1 ]]; then
    inner
else
    INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
