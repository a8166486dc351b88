#!/usr/bin/env bash
# Builds the fuzz targets with clang, AddressSanitizer and UBSan (build-fuzz/, no UI) and runs
# each for the given number of seconds (default 60) at idle priority, one after the other.
# New inputs go to work/fuzz/<target>/ (not committed); crashes to work/fuzz/crashes/. The
# per-input time-out is wall-clock time: generous, since idle priority on a busy machine stalls.
# usage: scripts/fuzz.sh [seconds per target] [target...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
build=${LAUNCHER_FUZZ_BUILD:-$here/build-fuzz}
work=${LAUNCHER_FUZZ_WORK:-$here/work/fuzz}
all=(zip settings platform_reply page_command script_args server_title game_address
     command_line report_address package_check)
targets=("${@:-${all[@]}}")

"$here/scripts/deps.sh"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
                                          -DCMAKE_C_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLAUNCHER_FUZZ=ON -DLAUNCHER_BUILD_UI=OFF -DLAUNCHER_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
nice -n 19 cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

mkdir -p "$work/crashes"
status=0
for name in "${targets[@]}"; do
  mkdir -p "$work/$name"
  dict=()
  [ -f "$here/tests/fuzz/$name.dict" ] && dict=(-dict="$here/tests/fuzz/$name.dict")
  echo "== fuzz_$name for ${seconds}s"
  set +e
  nice -n 19 "$build/tests/fuzz/fuzz_$name" "${dict[@]}" -max_total_time="$seconds" \
    -rss_limit_mb=2048 -timeout=60 -print_final_stats=1 -artifact_prefix="$work/crashes/$name-" \
    "$work/$name" "$here/tests/fuzz/corpus/$name" 2>"$work/$name.log"
  rc=$?
  set -e
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$work/$name.log" || true
  if [ "$rc" -ne 0 ]; then
    echo "fuzz_$name found a problem (exit $rc); see $work/$name.log and $work/crashes/"
    status=1
  fi
done
exit $status
