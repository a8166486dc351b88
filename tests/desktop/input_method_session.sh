#!/usr/bin/env bash
# Runs a test program on a display of its own with an IBus input-method daemon on a private
# session bus, a Chinese table engine selected (Wubi, $LAUNCHER_IM_ENGINE) and Qt's IBus
# frontend chosen (QT_IM_MODULE=ibus), as on a Chinese player's desktop. Display, bus and
# daemon are stopped when the program ends, whatever its outcome.
# usage: input_method_session.sh PROGRAM [ARGUMENTS...]
set -euo pipefail
for tool in Xvfb dbus-daemon ibus-daemon ibus; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/deps.sh installs it)"; exit 1; }
done
export LAUNCHER_IM_ENGINE=${LAUNCHER_IM_ENGINE:-table:wubi-jidian86}

work=$(mktemp -d)
bus_pid="" ibus_pid=""
cleanup() {
  if [ -n "$ibus_pid" ]; then
    ibus exit >/dev/null 2>&1 || true
    pkill -P "$ibus_pid" 2>/dev/null || true
    kill "$ibus_pid" 2>/dev/null || true
    wait "$ibus_pid" 2>/dev/null || true
  fi
  if [ -n "$bus_pid" ]; then
    pkill -P "$bus_pid" 2>/dev/null || true
    kill "$bus_pid" 2>/dev/null || true
    wait "$bus_pid" 2>/dev/null || true
  fi
  stop_private_display
  rm -rf "$work"
}
trap cleanup EXIT

. "$(dirname "$0")/../private_display.sh"
start_private_display "$work"

# The daemon and Qt's frontend find each other through these folders and the bus.
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
mkdir -p "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$work/bus" >"$work/bus.log" 2>&1 &
bus_pid=$!
wait_for test -s "$work/bus" || { cat "$work/bus.log"; exit 1; }
DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus")
export DBUS_SESSION_BUS_ADDRESS
# Engine settings without a desktop's settings service.
export GSETTINGS_BACKEND=memory
ibus-daemon --panel=disable --emoji-extension=disable --xim --replace >"$work/ibus.log" 2>&1 &
ibus_pid=$!
wait_for sh -c 'ibus list-engine | grep -q "${LAUNCHER_IM_ENGINE#*:}"' || { cat "$work/ibus.log"; exit 1; }
ibus engine "$LAUNCHER_IM_ENGINE"
wait_for sh -c '[ "$(ibus engine)" = "$LAUNCHER_IM_ENGINE" ]' || { cat "$work/ibus.log"; exit 1; }
export QT_IM_MODULE=ibus XMODIFIERS=@im=ibus

"$@"
