# Sourced by test scripts that run the demo operator site: starts it on a free loopback port.

# Starts SITE_BIN with its files in DIR and any further arguments; sets site_pid, port and base.
start_demo_site() {
  local dir=$1 program=$2
  shift 2
  "$program" --port 0 --log "$dir/site.log" "$@" >"$dir/site.out" 2>"$dir/site.err" &
  site_pid=$!
  port=""
  for _ in $(seq 1 100); do
    port=$(awk '$1 == "LISTENING" { print $2; exit }' "$dir/site.out" 2>/dev/null || true)
    [ -n "$port" ] && break
    kill -0 "$site_pid" 2>/dev/null || { echo "demo site ended early"; cat "$dir/site.err"; exit 1; }
    sleep 0.1
  done
  [ -n "$port" ] || { echo "demo site did not report its port"; exit 1; }
  base="http://127.0.0.1:$port"
}
