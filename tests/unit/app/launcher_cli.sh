#!/usr/bin/env bash
# The built Launcher's command line without any display: help, version, unknown options and a
# bad --command id end at once with their exit codes; a run that needs a display says in one line
# that there is none.
# The package checker runs without a display too: the demo package passes, a missing one fails,
# and --json prints one JSON document.
# usage: launcher_cli.sh LAUNCHER DEMO-PACKAGE
set -uo pipefail
launcher=$1 demo=$2
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failed=0

# expect CODE STREAM(out|err) TEXT ARGS...: runs the program, checks its exit code and that the
# named stream holds TEXT while the other one stays empty.
expect() {
  local code=$1 stream=$2 text=$3
  shift 3
  timeout 30 "$launcher" "$@" >out 2>err
  local rc=$?
  local other=err
  [ "$stream" = err ] && other=out
  if [ "$rc" -ne "$code" ] || ! grep -qF -- "$text" "$stream" || [ -s "$other" ]; then
    echo "FAIL: Launcher $* -> $rc (want $code, '$text' on std$stream)"
    sed 's/^/  out: /' out; sed 's/^/  err: /' err
    failed=1
  else
    echo "ok: Launcher $* -> $rc"
  fi
}

expect 0 out "Usage: Launcher" --help
expect 0 out "--check" -h
expect 0 out "Launcher @PROJECT_VERSION@" --version
expect 2 err "unknown option --no-such-thing" --no-such-thing
expect 2 err "(see Launcher --help)" --
for option in -v -V -x -; do
  expect 2 err "Launcher: unknown option $option (see Launcher --help)" "$option" http://127.0.0.1:9/
done
# A misuse is told in one line, without the whole usage text.
timeout 30 "$launcher" -x >/dev/null 2>err
[ "$(wc -l <err)" -eq 1 ] || { echo "FAIL: -x printed more than one line"; cat err; failed=1; }
expect 1 err "Launcher: no display" http://127.0.0.1:9/
DISPLAY=:7391 expect 1 err "Launcher: no display"
timeout 30 "$launcher" >/dev/null 2>err
[ "$(wc -l <err)" -eq 1 ] || { echo "FAIL: no display took more than one line"; cat err; failed=1; }
expect 2 err "--json belongs to --check" --json
expect 2 err "usage:" --command 42
expect 0 out "0 errors, 0 warnings" --check "$demo"
expect 1 out "cannot be read" --check
expect 1 out "cannot be read" --check missing.zip --json
cp "$demo" config.zip
expect 0 out "Package config.zip" --check
timeout 30 "$launcher" --check --json >out 2>err
if [ $? -eq 0 ] && python3 -c 'import json,sys; d=json.load(open("out")); sys.exit(0 if d["ok"] and d["members"] else 1)'; then
  echo "ok: --check --json parses"
else
  echo "FAIL: --check --json"; failed=1
fi
exit $failed
