#!/usr/bin/env bash
# The package tier (opt-in, not in CI): what an operator ships, tried as a new user would.
#   1. Builds the program (release, hardened) and its package, starts the demo site, makes the
#      demo operator's config.zip for it (going straight to the game) and, with bundle.sh, the
#      operator's .deb and the portable bundle.
#   2. lintian, desktop-file-validate and appstreamcli validate --pedantic on what was made.
#   3. A clean Debian 12 root (debootstrap --variant=minbase, cached in work/package-test/):
#      apt-get installs the operator's .deb (and the program's, which it depends on) with
#      everything they pull; a normal user starts the game through the menu entry's command
#      under Xvfb; the game page loads from the demo site and the game window is on screen.
#   4. Another clean root without Qt (only an X server): the portable bundle unpacked by a
#      normal user starts with ./run.sh and shows the game window the same way.
# Needs root (chroot, mounts) and the network to the Debian archive for debootstrap and apt-get.
# usage: scripts/package-test.sh [BUILD-DIR]     (default build-package)
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD
build=${1:-build-package}
cache=$source/work/package-test
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
[ "$(id -u)" -eq 0 ] || { echo "package-test.sh: needs root (debootstrap, chroot)" >&2; exit 2; }
started=$(date +%s)
step() { echo "== $(( $(date +%s) - started ))s: $*"; }

scripts/deps.sh
step "build ($build)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLAUNCHER_BUILD_TESTS=OFF \
  -DLAUNCHER_BUILD_BENCH=OFF ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_CXX_COMPILER_LAUNCHER} >/dev/null
cmake --build "$build" --target Launcher demo_site demo_package launcher_icons
(cd "$build" && cpack -G DEB >/dev/null)
version=$("$build/Launcher" --version | awk '{ print $2 }')
launcher_deb=$build/launcher_${version}_amd64.deb
[ -f "$launcher_deb" ] || { echo "no $launcher_deb"; exit 1; }

work=$(mktemp -d /tmp/package-test.XXXXXX)
chmod 755 "$work"
site_pid="" watcher="" mounts=()
cleanup() {
  [ -z "$watcher" ] || kill "$watcher" 2>/dev/null || true
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount -l "${mounts[$i]}" 2>/dev/null || true; done
  if [ -n "$site_pid" ]; then kill "$site_pid" 2>/dev/null || true; wait "$site_pid" 2>/dev/null || true; fi
  # Never delete through a mount that is still there (the roots hold the machine's /dev).
  if findmnt -rn -o TARGET | grep -q "^$work/"; then
    echo "package-test.sh: $work still has mounts; left in place" >&2
  else
    rm -rf --one-file-system "$work"
  fi
}
trap cleanup EXIT

# The demo site on the host; the roots share the host's network, so 127.0.0.1 reaches it.
"$build/demo/demo_site" --port 0 --log "$work/site.log" >"$work/site.out" 2>"$work/site.err" &
site_pid=$!
port=""
for _ in $(seq 1 100); do
  port=$(awk '$1 == "LISTENING" { print $2; exit }' "$work/site.out" 2>/dev/null || true)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "demo site did not start"; cat "$work/site.err"; exit 1; }
base="http://127.0.0.1:$port"
"$build/demo/demo_package" --site "$base" --out "$work/config.zip" \
  --set "firstUrl=$base/game/enter?serverid=12&skey=1012&uid=package" >/dev/null
step "operator's package and portable bundle"
scripts/bundle.sh --package "$work/config.zip" --program "$build/Launcher" --out "$work/dist" \
  --name dragon-client --title "龙域传说" --id com.example.dragon --version 1.0 \
  --maintainer "Dragon Games <games@example.com>" \
  --icon "$build/packaging/icons/256x256/apps/net.launcher_client.launcher.png"
operator_deb=$work/dist/dragon-client_1.0_all.deb

step "lintian, desktop-file-validate, appstreamcli"
for deb in "$launcher_deb" "$operator_deb"; do
  lintian --tag-display-limit 0 --fail-on none "$deb" | tee "$work/lintian"
  ! grep -q '^E:' "$work/lintian" || { echo "lintian errors in $deb"; exit 1; }
  dpkg-deb -x "$deb" "$work/x"
done
for entry in "$work"/x/usr/share/applications/*.desktop; do desktop-file-validate "$entry"; done
for info in "$work"/x/usr/share/metainfo/*.xml; do appstreamcli validate --pedantic --no-net "$info"; done

# A clean Debian 12 root, made once and kept.
mkdir -p "$cache/apt-archives/partial"
if [ ! -f "$cache/bookworm-minbase.tar" ]; then
  step "debootstrap (first run only)"
  debootstrap --variant=minbase bookworm "$work/bootstrap" "$mirror" >"$work/debootstrap.log" 2>&1 ||
    { tail -30 "$work/debootstrap.log"; exit 1; }
  tar -C "$work/bootstrap" -cf "$cache/bookworm-minbase.tar.tmp" .
  mv "$cache/bookworm-minbase.tar.tmp" "$cache/bookworm-minbase.tar"
  rm -rf "$work/bootstrap"
fi

# new_root DIR: a fresh copy of the clean root, with what a chroot needs mounted and a user.
new_root() {
  local root=$1
  mkdir -p "$root"
  tar -C "$root" -xf "$cache/bookworm-minbase.tar"
  for m in proc dev sys; do mkdir -p "$root/$m"; done
  mount -t proc proc "$root/proc"; mounts+=("$root/proc")
  # With its own mounts: /dev/shm (shared memory of the browser's processes) and /dev/pts.
  mount --rbind /dev "$root/dev"; mounts+=("$root/dev")
  mount --make-rslave "$root/dev"
  mount --bind /sys "$root/sys"; mounts+=("$root/sys")
  mount --bind "$cache/apt-archives" "$root/var/cache/apt/archives"; mounts+=("$root/var/cache/apt/archives")
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  echo "deb $mirror bookworm main" >"$root/etc/apt/sources.list"
  chroot "$root" useradd -m -u 1000 -s /bin/sh player
  install -d -m 1777 "$root/tmp/.X11-unix"
  chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
}
# install_in ROOT PACKAGES...: apt-get install as a player's administrator would.
install_in() {
  local root=$1
  shift
  chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >"$work/apt.log" 2>&1 ||
    { tail -30 "$work/apt.log"; exit 1; }
}
# play ROOT DIR COMMAND...: runs COMMAND in DIR as the player under an X server of its own, until
# the game page has loaded from the demo site and a game-sized window is on screen.
play() {
  local root=$1 dir=$2
  shift 2
  local loads
  loads=$(grep -c '"path":"/play/game"' "$work/site.log" 2>/dev/null || true)
  loads=${loads:-0}
  cat >"$root/tmp/play.sh" <<'EOF'
#!/bin/sh
# Runs the game under its own X server and reports the top-level windows while it runs.
cd "$1" && shift
# The roots share the machine's network, X's abstract sockets among them: the server picks a
# free display.
: >/tmp/display
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>/tmp/display >/tmp/xvfb.log 2>&1 &
xvfb=$!
game=""
trap 'kill $game $xvfb 2>/dev/null' EXIT
for i in $(seq 1 100); do [ -s /tmp/display ] && break; sleep 0.1; done
[ -s /tmp/display ] || { echo "Xvfb did not start"; cat /tmp/xvfb.log; exit 1; }
export DISPLAY=:$(tr -dc 0-9 </tmp/display)
"$@" >/tmp/game.out 2>/tmp/game.err &
game=$!
# A top-level window of the game's size: the game window fills the screen's work area.
game_window() {
  xwininfo -root -children 2>/dev/null | grep -oE ' [0-9]+x[0-9]+[+-]' | tr -d ' +-' |
    awk -Fx '$1 >= 1000 && $2 >= 700 { found = 1 } END { exit !found }'
}
for i in $(seq 1 900); do
  game_window && [ -f /tmp/loaded ] && break
  kill -0 $game 2>/dev/null || { echo "the game ended early"; tail -30 /tmp/game.err; exit 1; }
  sleep 0.2
done
game_window || { xwininfo -root -children; echo "no game window came up"; exit 1; }
xwininfo -root -children | grep -E ' [0-9]{4}x[0-9]{3,}[+-]'
kill -TERM $game; wait $game; code=$?
game=""
[ -f /tmp/loaded ] || { echo "the game page did not load"; tail -30 /tmp/game.err; exit 1; }
[ $code -eq 0 ] || { echo "the game ended with exit code $code"; tail -30 /tmp/game.err; }
exit $code
EOF
  chmod 755 "$root/tmp/play.sh"
  rm -f "$root/tmp/loaded"
  (
    for _ in $(seq 1 1800); do
      now=$(grep -c '"path":"/play/game"' "$work/site.log" 2>/dev/null || true)
      [ "${now:-0}" -gt "$loads" ] && { touch "$root/tmp/loaded"; exit 0; }
      sleep 0.1
    done
  ) &
  watcher=$!
  chroot --userspec=1000:1000 "$root" env -i HOME=/home/player PATH=/usr/local/bin:/usr/bin:/bin:/usr/games \
    LANG=C.UTF-8 QTWEBENGINE_DISABLE_SANDBOX=1 /tmp/play.sh "$dir" "$@"
  kill "$watcher" 2>/dev/null || true
  watcher=""
}

step "installed: apt-get install the operator's package in a clean root"
new_root "$work/installed"
cp "$launcher_deb" "$operator_deb" "$work/installed/tmp/"
install_in "$work/installed" "/tmp/$(basename "$launcher_deb")" "/tmp/$(basename "$operator_deb")" \
  xvfb x11-utils
command=$(sed -n 's/^Exec=//p' "$work/installed/usr/share/applications/com.example.dragon.desktop")
step "installed: the menu entry's command ($command) as a normal user"
play "$work/installed" /home/player $command
[ -z "$(ls "$work/installed/usr/bin" | grep -x flag.txt)" ] || { echo "a marker was written into /usr"; exit 1; }
ls "$work"/installed/home/player/.local/state/Launcher/flag-*.txt >/dev/null ||
  { echo "the install was not counted in the player's state folder"; exit 1; }

step "portable: a clean root without Qt"
new_root "$work/portable"
install_in "$work/portable" xvfb x11-utils fonts-noto-cjk
if chroot "$work/portable" dpkg -l | grep -q 'libqt6'; then echo "the clean root has Qt"; exit 1; fi
cp "$work/dist/dragon-client.tar.gz" "$work/portable/home/player/"
chroot --userspec=1000:1000 "$work/portable" tar -C /home/player -xzf /home/player/dragon-client.tar.gz
play "$work/portable" /home/player/dragon-client ./run.sh
chroot --userspec=1000:1000 "$work/portable" env -i HOME=/home/player /home/player/dragon-client/install.sh
step "done: bundle $(du -sh "$work/dist/dragon-client" | cut -f1), archive $(du -h "$work/dist/dragon-client.tar.gz" | cut -f1)"
echo "package tier passed in $(( $(date +%s) - started )) s"
