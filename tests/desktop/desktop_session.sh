#!/usr/bin/env bash
# Runs a test program on a desktop of its own: a private Xvfb (the server picks a free display
# number), the openbox window manager and a system tray (trayer). All three are started here and
# stopped when the program ends, whatever its outcome.
# usage: desktop_session.sh PROGRAM [ARGUMENTS...]
set -euo pipefail
for tool in Xvfb openbox trayer xprop; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/deps.sh installs it)"; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  local pid
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    pid=${pids[$i]}
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

. "$(dirname "$0")/../private_display.sh"
start_private_display "$work"
pids+=("$xvfb_pid")
export XDG_SESSION_TYPE=x11
mkdir -p "$work/config"
XDG_CONFIG_HOME=$work/config openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
# A window manager announces itself on the root window.
wait_for sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || { cat "$work/openbox.log"; exit 1; }
tray_height=32
trayer --edge top --align right --widthtype pixel --width 120 --height "$tray_height" --SetDockType true \
  --SetPartialStrut true --expand false >"$work/trayer.log" 2>&1 &
pids+=($!)
# The tray's window is up (the test itself waits for the tray to take icons).
wait_for xdotool search --name "^panel$" || { cat "$work/trayer.log"; exit 1; }
# The window manager has taken the tray's strut out of the work area.
wait_for sh -c "xprop -root _NET_WORKAREA | grep -q '= 0, $tray_height,'" || exit 1

"$@"
