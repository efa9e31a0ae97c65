#!/usr/bin/env bash
# Runs a command on an X display of its own (Xvfb, no window manager: windows stack as they are raised), Qt on it.
. "$(dirname "$0")/../private_display.sh"
dir=$(mktemp -d) && private_display "$dir" || exit 1
trap 'kill "$xvfb"; wait "$xvfb"; rm -rf "$dir"' EXIT
QT_QPA_PLATFORM=xcb "$@"
