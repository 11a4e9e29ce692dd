# Sourced by the hostile runs: a private Xvfb with openbox on the first free display from $1, with the
# environment its programs need. x_session_start sets DISPLAY; x_session_stop ends the two it started.
x_session_start() {
    local display=$1
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
    export DISPLAY=:$display QT_QPA_PLATFORM=xcb
    Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    x_session_xvfb=$!
    for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    openbox >/dev/null 2>&1 &
    x_session_wm=$!
}
x_session_stop() {
    kill "$x_session_wm" "$x_session_xvfb" 2>/dev/null
    wait 2>/dev/null
}
