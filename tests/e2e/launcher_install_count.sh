#!/usr/bin/env bash
# Install counting of the built Launcher against the demo site, from a program folder the player
# cannot write (an installed program): the first start of each user reports once and keeps its
# marker in that user's state folder; a later start reports nothing; nothing is written beside
# the program. A program folder the player owns keeps the marker beside the program.
# Run as root, the program runs as an unprivileged user, for whom the folder is really read-only.
# usage: launcher_install_count.sh LAUNCHER DEMO_SITE DEMO_PACKAGE
set -euo pipefail
launcher=$1 site_bin=$2 package_bin=$3
here=$(dirname "$(readlink -f "$0")")
. "$here/../private_display.sh"
. "$here/../demo_site.sh"

work=$(mktemp -d)
chmod 755 "$work"
site_pid="" launcher_pid=""
cleanup() {
  [ -z "$launcher_pid" ] || kill -KILL "$launcher_pid" 2>/dev/null || true
  if [ -n "$site_pid" ]; then kill "$site_pid" 2>/dev/null || true; wait "$site_pid" 2>/dev/null || true; fi
  stop_private_display
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
start_private_display "$work"

start_demo_site "$work" "$site_bin"

mkdir -p "$work/run" "$work/installed" "$work/own"
"$package_bin" --site "$base" --out "$work/run/config.zip" --set firstUrl=
cp "$launcher" "$work/installed/Launcher"
cp "$launcher" "$work/own/Launcher"
chmod 555 "$work/installed"
chmod -R a+rX "$work/run"

# The machine reports only when it has an adapter with a hardware address.
adapter=0
for a in /sys/class/net/*; do
  [ "$(basename "$a")" = lo ] && continue
  case "$(cat "$a/address" 2>/dev/null)" in ""|00:00:00:00:00:00) ;; *) adapter=1 ;; esac
done
counted() { grep -c '"path":"/count"' "$work/site.log" 2>/dev/null || true; }

# start USER-NUMBER PROGRAM: one start as that user (as root: that uid) until the launcher's
# login page has been asked for and the marker is where it belongs, then a termination request.
start() {
  local user=$1 program=$2 home=$work/home$1
  mkdir -p "$home"
  local as=()
  if [ "$(id -u)" -eq 0 ]; then
    chown "$((60000 + user))" "$home"
    as=(setpriv --reuid=$((60000 + user)) --regid=$((60000 + user)) --clear-groups)
  fi
  local logins
  logins=$(grep -c '"path":"/login"' "$work/site.log" 2>/dev/null || true)
  (cd "$work/run" && exec "${as[@]}" env HOME="$home" XDG_STATE_HOME= XDG_DATA_HOME="$home/data" \
     XDG_CACHE_HOME="$home/cache" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR= \
     QTWEBENGINE_DISABLE_SANDBOX=1 "$program" >"$work/out" 2>"$work/err") &
  launcher_pid=$!
  for _ in $(seq 1 900); do
    [ "$(grep -c '"path":"/login"' "$work/site.log" 2>/dev/null || true)" -gt "$logins" ] && break
    kill -0 "$launcher_pid" 2>/dev/null || { echo "the program ended early"; cat "$work/err"; exit 1; }
    sleep 0.1
  done
  kill -TERM "$launcher_pid"
  wait "$launcher_pid" || { echo "exit code $? from the terminated program"; tail "$work/err"; exit 1; }
  launcher_pid=""
}
fail() { echo "FAIL: $*"; find "$work" -name 'flag*'; exit 1; }

start 1 "$work/installed/Launcher"
[ -e "$work/installed/flag.txt" ] && fail "marker written beside a read-only program"
markers=("$work"/home1/.local/state/Launcher/flag-*.txt)
[ -f "${markers[0]}" ] || fail "no marker in the first user's state folder"
[ "$adapter" -eq 0 ] || [ "$(counted)" -eq 1 ] || fail "first start counted $(counted) times"
start 1 "$work/installed/Launcher"
[ "$adapter" -eq 0 ] || [ "$(counted)" -eq 1 ] || fail "second start counted again"
start 2 "$work/installed/Launcher"
[ -f "$(echo "$work"/home2/.local/state/Launcher/flag-*.txt)" ] || fail "no marker for the second user"
[ "$adapter" -eq 0 ] || [ "$(counted)" -eq 2 ] || fail "the second user was not counted once"
[ "$(find "$work/installed" -newer "$work/installed/Launcher" | wc -l)" -eq 0 ] ||
  fail "something was written into the program's folder"

# A folder the player may write: the marker lies beside the program, as always.
[ "$(id -u)" -ne 0 ] || chown "$((60000 + 1))" "$work/own"
start 1 "$work/own/Launcher"
[ -f "$work/own/flag.txt" ] || fail "no marker beside a program in a writable folder"
[ "$adapter" -eq 0 ] || [ "$(counted)" -eq 3 ] || fail "the writable folder's first start was not counted"
echo "install counting ok (adapter: $adapter, reports: $(counted))"
