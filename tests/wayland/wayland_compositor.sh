# Sourced by tests that need a Wayland desktop of their own: a headless sway (no screen, no input
# devices, software rendering) in a private runtime folder. sway refuses to run as root, so a
# root caller runs it as the unprivileged user nobody; clients (root) reach its socket all the same.

# Runs a command up to N tenths of a second until it succeeds.
wait_until() {
  local limit=$1 i=0
  shift
  until "$@" >/dev/null 2>&1; do
    i=$((i + 1))
    [ "$i" -ge "$limit" ] && return 1
    sleep 0.1
  done
}

# Starts sway with its files in DIR and one output of WIDTH x HEIGHT; sets sway_pid,
# XDG_RUNTIME_DIR, WAYLAND_DISPLAY and SWAYSOCK.
start_wayland_compositor() {
  local dir=$1 width=$2 height=$3
  local runtime=$dir/runtime
  mkdir -p "$runtime"
  chmod 700 "$runtime"
  cat >"$dir/sway.conf" <<CONF
output HEADLESS-1 resolution ${width}x${height}
default_border none
default_floating_border none
focus_follows_mouse no
CONF
  chmod 644 "$dir/sway.conf"
  local -a as_user=()
  if [ "$(id -u)" -eq 0 ]; then
    chown nobody "$runtime"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  fi
  "${as_user[@]}" env -i PATH="$PATH" HOME="$dir" XDG_RUNTIME_DIR="$runtime" \
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=1 \
    sway -c "$dir/sway.conf" >"$dir/sway.log" 2>&1 &
  sway_pid=$!
  export XDG_RUNTIME_DIR=$runtime
  local _
  for _ in $(seq 1 100); do
    SWAYSOCK=$(ls "$runtime"/sway-ipc.*.sock 2>/dev/null | head -n1 || true)
    WAYLAND_DISPLAY=$(cd "$runtime" && ls wayland-* 2>/dev/null | grep -v lock | head -n1 || true)
    [ -n "$SWAYSOCK" ] && [ -n "$WAYLAND_DISPLAY" ] && swaymsg -t get_outputs >/dev/null 2>&1 && break
    kill -0 "$sway_pid" 2>/dev/null || { echo "sway ended early"; cat "$dir/sway.log"; exit 1; }
    sleep 0.1
  done
  [ -n "$SWAYSOCK" ] && [ -n "$WAYLAND_DISPLAY" ] || { echo "sway did not start"; cat "$dir/sway.log"; exit 1; }
  export SWAYSOCK WAYLAND_DISPLAY
  unset DISPLAY
}

stop_wayland_compositor() {
  [ -n "${sway_pid:-}" ] || return 0
  kill "$sway_pid" 2>/dev/null || true
  wait "$sway_pid" 2>/dev/null || true
  sway_pid=""
}

# The windows sway shows: one line per window, "x y width height fullscreen name".
sway_windows() {
  swaymsg -r -t get_tree | python3 -c '
import json, sys
def walk(node):
    if node.get("pid") and node.get("name") is not None:
        r = node["rect"]
        print(r["x"], r["y"], r["width"], r["height"], node.get("fullscreen_mode", 0), node["name"])
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(sys.stdin))'
}

# "x y width height" of the first window whose name starts with PREFIX.
window_rect() {
  local line
  line=$(sway_windows | awk -v prefix="$1" '{ name = $0; for (i = 1; i <= 5; i++) sub(/^[^ ]+ /, "", name) }
                                            index(name, prefix) == 1 { print $1, $2, $3, $4; exit }')
  [ -n "$line" ] && echo "$line"
}

# Waits up to SECONDS for a window whose name starts with PREFIX; prints its rectangle.
wait_for_window() {
  local _
  for _ in $(seq 1 $(($2 * 10))); do
    window_rect "$1" && return 0
    sleep 0.1
  done
  return 1
}

# True while the window whose name starts with PREFIX is full screen.
window_fullscreen() {
  sway_windows | awk -v prefix="$1" '{ name = $0; for (i = 1; i <= 5; i++) sub(/^[^ ]+ /, "", name) }
                                index(name, prefix) == 1 { found = ($5 != 0); exit } END { exit !found }'
}
