# Sourced: private_display DIR starts an X server of the caller's own on a number claimed by the
# server's lock file, and sets DISPLAY and xvfb (its process). Xvfb -displayfd left to choose a number
# races another server choosing at once: the loser takes the winner's socket away as it quits.
private_display() {
    local n
    for n in $(shuf -i 200-999 -n 50); do
        Xvfb ":$n" -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$1/display" >/dev/null 2>&1 & xvfb=$!
        while kill -0 "$xvfb" 2>/dev/null && [ ! -s "$1/display" ]; do sleep 0.1; done
        if [ -s "$1/display" ]; then export DISPLAY=":$n"; return 0; fi  # else the number was taken
    done
    echo "no free X display"
    return 1
}
