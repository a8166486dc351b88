# Sourced by test scripts that need an X display of their own: the server picks a free display
# number, so runs beside other tests never share one. Scripts with a waiting rule of their own
# define wait_for after sourcing this.

# Starts Xvfb with its files in DIR; sets xvfb_pid and DISPLAY.
start_private_display() {
  local dir=$1
  : >"$dir/display"
  Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp -noreset 3>"$dir/display" \
    >"$dir/xvfb.log" 2>&1 &
  xvfb_pid=$!
  local number=""
  for _ in $(seq 1 300); do
    number=$(tr -dc 0-9 <"$dir/display")
    [ -n "$number" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { echo "Xvfb ended early"; cat "$dir/xvfb.log"; exit 1; }
    sleep 0.1
  done
  [ -n "$number" ] || { echo "Xvfb did not start"; exit 1; }
  export DISPLAY=:$number
  unset WAYLAND_DISPLAY
}

stop_private_display() {
  [ -n "${xvfb_pid:-}" ] || return 0
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
}

# Waits up to 30 s for a command to succeed.
wait_for() {
  for _ in $(seq 1 300); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  echo "timed out waiting for: $*"
  return 1
}
