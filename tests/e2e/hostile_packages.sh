#!/usr/bin/env bash
# The built Launcher against a table of hostile packages (written by hostile_packages): each case
# must reach its outcome (a window, a named message, or a silent end) within the time bound, with
# the whole process tree under the memory bound, and must never crash.
# usage: hostile_packages.sh LAUNCHER GENERATOR [case...]
set -euo pipefail
launcher=$(realpath "$1") generator=$(realpath "$2")
shift 2
time_bound=${LAUNCHER_HOSTILE_SECONDS:-10}
memory_bound_kb=$((1024 * 1024))
# Chromium refuses to run as root with its sandbox on.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi

work=$(mktemp -d)
xvfb_pid=""
launcher_pid=""
cleanup() {
  [ -n "$launcher_pid" ] && kill -KILL "$launcher_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config
export XDG_RUNTIME_DIR=$work/runtime LAUNCHER_COMMAND_CHANNEL=launcher-hostile-$$
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset LAUNCHER_CODEPAGE

. "$(dirname "$0")/../private_display.sh"
start_display() { start_private_display "$work"; }
stop_display() { stop_private_display; }

# Resident memory of a process and all its descendants, in KiB.
tree_rss() {
  local pids=("$1") all=() next
  while [ ${#pids[@]} -gt 0 ]; do
    all+=("${pids[@]}")
    next=$(pgrep -P "$(IFS=,; echo "${pids[*]}")" 2>/dev/null || true)
    # shellcheck disable=SC2206
    pids=($next)
  done
  { ps -o rss= -p "$(IFS=,; echo "${all[*]}")" 2>/dev/null || true; } |
    awk '{ s += $1 } END { print s + 0 }'
}

visible_window() { xdotool search --onlyvisible --pid "$1" >/dev/null 2>&1; }

"$generator" "$work/cases"
cases=("$@")
[ ${#cases[@]} -gt 0 ] || mapfile -t cases < <(ls "$work/cases")

failures=()
report() { printf '%-28s %-12s %6s s %8s MiB  %s\n' "$@"; }
printf '%-28s %-12s %8s %12s  %s\n' case outcome time "peak RSS" detail
for name in "${cases[@]}"; do
  dir=$work/cases/$name
  expect=$(cat "$dir/expect")
  setup=$(cat "$dir/setup" 2>/dev/null || true)
  case "$setup" in
    missing) ;;
    fifo) mkfifo "$dir/config.zip" ;;
    directory) mkdir "$dir/config.zip" ;;
    device) ln -s /dev/zero "$dir/config.zip" ;;
  esac
  start_display
  : >"$dir/messages"
  start=$(date +%s%N)
  (cd "$dir" && exec env LAUNCHER_MESSAGE_LOG="$dir/messages" "$launcher" >"$dir/out" 2>"$dir/err") &
  launcher_pid=$!
  outcome="" rc="" peak=0 detail=""
  deadline=$((start + time_bound * 1000000000))
  while :; do
    rss=$(tree_rss "$launcher_pid")
    if [ "$rss" -gt "$peak" ]; then peak=$rss; fi
    if ! kill -0 "$launcher_pid" 2>/dev/null; then
      set +e; wait "$launcher_pid"; rc=$?; set -e
      launcher_pid=""
      if [ -s "$dir/messages" ]; then outcome=message; else outcome=silent; fi
      break
    fi
    if visible_window "$launcher_pid"; then outcome=window; break; fi
    [ "$(date +%s%N)" -lt "$deadline" ] || { outcome=timeout; break; }
    sleep 0.1
  done
  elapsed=$(( ($(date +%s%N) - start) / 1000000 ))

  if [ "$outcome" = window ]; then
    # Let it settle a moment: memory taken right after the window appears counts as well.
    for _ in $(seq 1 10); do
      rss=$(tree_rss "$launcher_pid"); if [ "$rss" -gt "$peak" ]; then peak=$rss; fi; sleep 0.1
    done
    case "$setup" in
      rewrite)
        : >"$dir/config.zip"; head -c 100000 /dev/urandom >"$dir/config.zip"
        sleep 1
        kill -0 "$launcher_pid" 2>/dev/null || detail="ended after the package was rewritten"
        ;;
      display-lost)
        stop_display
        for _ in $(seq 1 $((time_bound * 10))); do
          kill -0 "$launcher_pid" 2>/dev/null || break
          sleep 0.1
        done
        ;;
    esac
    if kill -0 "$launcher_pid" 2>/dev/null; then
      if [ "$setup" = display-lost ]; then
        detail="still running after the display went away"
        kill -KILL "$launcher_pid"
      else
        kill -TERM "$launcher_pid"
      fi
    fi
    set +e; wait "$launcher_pid"; rc=$?; set -e
    launcher_pid=""
    if [ "$setup" = display-lost ]; then outcome=display-lost; fi
  elif [ "$outcome" = timeout ]; then
    kill -KILL "$launcher_pid" 2>/dev/null || true
    set +e; wait "$launcher_pid"; rc=$?; set -e
    launcher_pid=""
  fi
  stop_display

  # The outcome, the exit code, the bounds.
  expected_outcome=${expect%%$'\t'*}
  if [ "$outcome" != "$expected_outcome" ]; then
    detail="expected $expected_outcome, got $outcome; $detail"
  elif [ "$outcome" = message ]; then
    want=${expect#message$'\t'}
    got=$(cat "$dir/messages")
    [ "$got" = "$want" ] || detail="message '$got', expected '$want'; $detail"
  fi
  expected_rc=0
  if [ "$outcome" = display-lost ]; then expected_rc=3; fi
  [ "$rc" = "$expected_rc" ] || detail="exit code $rc, expected $expected_rc; $detail"
  [ "$elapsed" -le $((time_bound * 1000)) ] || detail="took ${elapsed} ms; $detail"
  [ "$peak" -le "$memory_bound_kb" ] || detail="peak RSS $((peak / 1024)) MiB; $detail"
  if grep -qE 'AddressSanitizer|Segmentation|Aborted|core dumped' "$dir/err"; then
    detail="crash report on stderr; $detail"
  fi
  report "$name" "$outcome" "$(awk -v ms="$elapsed" 'BEGIN { printf "%.1f", ms / 1000 }')" \
    "$((peak / 1024))" "${detail:-ok}"
  if [ -n "$detail" ]; then
    failures+=("$name")
    echo "--- $name stderr (tail)"; tail -5 "$dir/err"
  fi
done

if [ ${#failures[@]} -gt 0 ]; then
  echo "failed: ${failures[*]}"
  exit 1
fi
echo "all ${#cases[@]} hostile packages held"
