#!/usr/bin/env bash
# An advertising page starts thirty downloads; while the save dialog is up and further downloads
# still arrive, a termination request (SIGTERM) must end the built Launcher with exit code 0 within
# a second, every run, leaving nothing beside the package.
# usage: launcher_download_termination.sh LAUNCHER DEMO_SITE DEMO_PACKAGE RUNS
set -euo pipefail
launcher=$(realpath "$1") site_bin=$2 package_bin=$3 runs=${4:-20}

# Chromium refuses to run as root with its sandbox on.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
command -v xdotool >/dev/null || { echo "xdotool is missing (scripts/deps.sh installs it)"; exit 1; }

work=$(mktemp -d)
site_pid="" launcher_pid="" xvfb_pid=""
cleanup() {
  for pid in $launcher_pid $site_pid $xvfb_pid; do
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
. "$(dirname "$0")/../private_display.sh"
start_private_display "$work"
# A home without a downloads folder.
export HOME=$work/home
mkdir -p "$HOME"
export XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config
export LAUNCHER_COMMAND_CHANNEL=launcher-download-termination-$$

. "$(dirname "$0")/../demo_site.sh"
start_demo_site "$work" "$site_bin"
"$package_bin" --site "$base" --out "$work/normal.zip" --set macCountApiUrl= --set firstUrl=

worst=0
for run in $(seq 1 "$runs"); do
  run_dir=$(mktemp -d "$work/run.XXXX")
  cp "$work/normal.zip" "$run_dir/config.zip"
  from=$(wc -l <"$work/site.log")
  (cd "$run_dir" && exec "$launcher" "$base/ads/downloads" >"$run_dir/out" 2>"$run_dir/err") &
  launcher_pid=$!
  shown=0
  for _ in $(seq 1 900); do
    if [ "$(xdotool search --onlyvisible --name '保存文件' 2>/dev/null | wc -l)" -ge 1 ]; then shown=1; break; fi
    kill -0 "$launcher_pid" 2>/dev/null || { echo "run $run: the program ended early"; tail -20 "$run_dir/err"; exit 1; }
    sleep 0.1
  done
  [ "$shown" -eq 1 ] || { echo "run $run: no save dialog"; exit 1; }
  # Some downloads wait behind the dialog, more are on their way.
  for _ in $(seq 1 100); do
    [ "$(tail -n +$((from + 1)) "$work/site.log" | grep -c '"path":"/ads/download"')" -ge 10 ] && break
    sleep 0.1
  done
  start=$(date +%s%N)
  kill -TERM "$launcher_pid"
  set +e
  wait "$launcher_pid"
  rc=$?
  set -e
  end=$(date +%s%N)
  launcher_pid=""
  ms=$(((end - start) / 1000000))
  [ "$ms" -gt "$worst" ] && worst=$ms
  [ "$rc" -eq 0 ] || { echo "run $run: exit code $rc"; tail -20 "$run_dir/err"; exit 1; }
  # Within a second; the margin covers this script's own scheduling on a busy machine.
  [ "$ms" -le 1500 ] || { echo "run $run: took $ms ms"; exit 1; }
  [ -z "$(ls -A "$run_dir" | grep -v -e '^config.zip$' -e '^out$' -e '^err$')" ] ||
    { echo "run $run: a file was left beside the package"; ls -A "$run_dir"; exit 1; }
done
echo "download termination ok: $runs runs, slowest end $worst ms"
