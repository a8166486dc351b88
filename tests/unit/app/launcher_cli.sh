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

# The commonest ways a package goes wrong, made from the demo package: each gets its cause in
# one problem, in the text report and in JSON, with exit code 1 (warnings alone: 0).
python3 - "$demo" <<'PY'
import sys, zipfile
members = [(i.filename, zipfile.ZipFile(sys.argv[1]).read(i)) for i in zipfile.ZipFile(sys.argv[1]).infolist()]
def write(path, rename=lambda n: n, change=lambda n, d: d):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in members:
            z.writestr(rename(name), change(name, data))
write("nested.zip", lambda n: "client/" + n)
write("backslash.zip", lambda n: n.replace("/", "\\"))
write("utf8.zip", change=lambda n, d: d.decode("gbk").encode("utf-8") if n == "config/cg.txt" else d)
import os
os.makedirs("plain/config", exist_ok=True)
for name, data in members:
    open("plain/" + name, "wb").write(data)
PY
(cd plain && zip -q -r -P secret ../encrypted.zip config)
mkdir -p nofonts/none
printf '<?xml version="1.0"?>\n<fontconfig><dir>%s/nofonts/none</dir><cachedir>%s/nofonts/cache</cachedir></fontconfig>\n' \
  "$work" "$work" >nofonts/fonts.conf

# check_case CODE PACKAGE WHERE TEXT: text and JSON reports of one package.
check_case() {
  local code=$1 package=$2 where=$3 text=$4
  timeout 30 "$launcher" --check "$package" >out 2>err
  local rc=$?
  if [ "$rc" -ne "$code" ] || ! grep -F -- ": $where: " out | grep -qF -- "$text"; then
    echo "FAIL: --check $package -> $rc (want $code and '$where: $text')"; sed 's/^/  /' out | tail -20; failed=1
    return
  fi
  timeout 30 "$launcher" --check "$package" --json >out 2>err
  rc=$?
  if [ "$rc" -ne "$code" ] || ! python3 - "$where" "$text" "$code" <<'PY'
import json, sys
d = json.load(open("out"))
where, text, code = sys.argv[1], sys.argv[2], int(sys.argv[3])
ok = d["exitCode"] == code and any(p["where"] == where and text in p["message"] for p in d["problems"])
sys.exit(0 if ok else 1)
PY
  then
    echo "FAIL: --check $package --json"; failed=1
    return
  fi
  echo "ok: --check $package -> $rc, names '$where'"
}
check_case 1 nested.zip config/cg.txt 'the program stops with the message "读取ini文件失败" (the package holds "client/config/cg.txt", inside the folder "client/"'
check_case 1 backslash.zip config/cg.txt 'named with backslashes: the program expects "config/cg.txt" with "/"'
check_case 1 utf8.zip config/cg.txt 'codePage=UTF-8 in [global] fixes it'
check_case 1 encrypted.zip encrypted.zip 'which the program cannot read: make the archive again without a password'
FONTCONFIG_FILE=$work/nofonts/fonts.conf check_case 0 "$demo" fonts 'they show as empty boxes; install a CJK font'
exit $failed
