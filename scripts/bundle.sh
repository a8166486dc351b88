#!/usr/bin/env bash
# Makes an operator's bundle: a folder (and a .tar.gz of it) holding the operator's config.zip,
# the program (or the launcher .deb to install it from), a start script and a desktop entry whose
# working directory is the bundle's folder, since the program reads config.zip from there.
#
# usage: scripts/bundle.sh --package CONFIG.ZIP --out DIR [--name NAME] [--title TEXT]
#                          [--program PATH/TO/Launcher] [--deb PATH/TO/launcher.deb]
#                          [--icon PNG] [--dir INSTALL-FOLDER] [--force]
#   --program  copies the program into the bundle (players need the Qt 6 WebEngine runtime)
#   --deb      puts the package into the bundle; install.sh installs it with its dependencies
#   --dir      where players are meant to unpack the bundle (default /opt/NAME); install.sh
#              writes the desktop entry anew for wherever the bundle really lies
#   --force    bundles a package that `Launcher --check` reports as broken
set -euo pipefail

package="" out="" name="game" title="" program="" deb="" icon="" dir="" force=0
while [ $# -gt 0 ]; do
  case "$1" in
    --package) package=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --name) name=$2; shift 2 ;;
    --title) title=$2; shift 2 ;;
    --program) program=$2; shift 2 ;;
    --deb) deb=$2; shift 2 ;;
    --icon) icon=$2; shift 2 ;;
    --dir) dir=$2; shift 2 ;;
    --force) force=1; shift ;;
    -h|--help) sed -n '2,15p' "$0"; exit 0 ;;
    *) echo "bundle.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
[ -n "$package" ] && [ -f "$package" ] || { echo "bundle.sh: --package must name the operator's config.zip" >&2; exit 2; }
[ -n "$out" ] || { echo "bundle.sh: --out is required" >&2; exit 2; }
[[ "$name" =~ ^[A-Za-z0-9._-]+$ ]] || { echo "bundle.sh: --name may hold letters, digits, '.', '_' and '-'" >&2; exit 2; }
[ -n "$program" ] || [ -n "$deb" ] || { echo "bundle.sh: give --program or --deb (or both)" >&2; exit 2; }
title=${title:-$name}
dir=${dir:-/opt/$name}

# The program's own checker decides whether the package is fit to ship.
checker=""
if [ -n "$program" ]; then checker=$program; elif command -v Launcher >/dev/null; then checker=Launcher; fi
if [ -n "$checker" ]; then
  if ! "$checker" --check "$package" >"${TMPDIR:-/tmp}/bundle-check.$$" 2>&1; then
    grep -E '^  (error|warning):' "${TMPDIR:-/tmp}/bundle-check.$$" >&2 || true
    rm -f "${TMPDIR:-/tmp}/bundle-check.$$"
    if [ "$force" -ne 1 ]; then
      echo "bundle.sh: the package has errors (see above); fix them or pass --force" >&2
      exit 1
    fi
  fi
  rm -f "${TMPDIR:-/tmp}/bundle-check.$$"
fi

folder=$out/$name
rm -rf "$folder"
mkdir -p "$folder"
cp "$package" "$folder/config.zip"
[ -z "$program" ] || install -m 755 "$program" "$folder/Launcher"
[ -z "$deb" ] || cp "$deb" "$folder/launcher.deb"
[ -z "$icon" ] || cp "$icon" "$folder/icon.png"

cat >"$folder/run.sh" <<'RUN'
#!/bin/sh
# Starts the game in this folder, where config.zip lies.
here=$(dirname "$(readlink -f "$0")")
cd "$here" || exit 1
if [ -x ./Launcher ]; then exec ./Launcher "$@"; fi
exec Launcher "$@"
RUN
chmod 755 "$folder/run.sh"

# desktop_entry FOLDER: the entry for a bundle unpacked in FOLDER.
desktop_entry() {
  echo "[Desktop Entry]"
  echo "Type=Application"
  echo "Name=$title"
  echo "Comment=Starts $title"
  echo "Exec=\"$1/run.sh\""
  echo "Path=$1"
  if [ -n "$icon" ]; then echo "Icon=$1/icon.png"; else echo "Icon=invalid.launcher.Launcher"; fi
  echo "Terminal=false"
  echo "Categories=Game;"
}
desktop_entry "$dir" >"$folder/$name.desktop"
# install.sh needs the same text for wherever the bundle is unpacked.
{
  echo '#!/bin/sh'
  echo "# Installs what this bundle needs and adds \"$title\" to the desktop's menu for this user."
  echo 'set -e'
  echo 'here=$(dirname "$(readlink -f "$0")")'
  echo 'if [ ! -x "$here/Launcher" ] && ! command -v Launcher >/dev/null && [ -f "$here/launcher.deb" ]; then'
  echo '  if [ "$(id -u)" -eq 0 ]; then apt-get install -y "$here/launcher.deb"; else sudo apt-get install -y "$here/launcher.deb"; fi'
  echo 'fi'
  echo 'apps=${XDG_DATA_HOME:-$HOME/.local/share}/applications'
  echo 'mkdir -p "$apps"'
  echo "sed -e \"s|$dir|\$here|g\" \"\$here/$name.desktop\" >\"\$apps/$name.desktop\""
  echo "echo \"installed \$apps/$name.desktop\""
} >"$folder/install.sh"
chmod 755 "$folder/install.sh"

tar -C "$out" -czf "$out/$name.tar.gz" "$name"
echo "bundle: $folder"
echo "archive: $out/$name.tar.gz"
