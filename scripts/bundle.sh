#!/usr/bin/env bash
# Makes what an operator ships, from their config.zip and the program built for it:
#   OUT/NAME_VERSION_all.deb   the operator's Debian package: the package in /usr/share/NAME, the
#                              command NAME that starts the program there, a menu entry and icon
#                              under the operator's id; it depends on the program's package of
#                              the same version (`cpack -G DEB` in the build)
#   OUT/NAME/, OUT/NAME.tar.gz the portable bundle for players without root or on another
#                              distribution: the program with the Qt and other libraries it
#                              loads, run.sh, and install.sh (menu entry for the user, no sudo)
# The package is checked first with the program that is shipped (`Launcher --check`); a package
# with errors is refused unless --force.
#
# usage: scripts/bundle.sh --package CONFIG.ZIP --program PATH/TO/Launcher --out DIR
#                          [--name NAME] [--title TEXT] [--id REVERSE.DNS.ID] [--icon PNG]
#                          [--version VERSION] [--maintainer "NAME <MAIL>"]
#                          [--no-deb] [--no-portable] [--force]
#   --name        package, command and folder name: lower-case letters, digits, '.', '+', '-'
#                 (default game)
#   --title       the game's name in the menu (default NAME)
#   --id          the operator's reverse-DNS id of the menu entry and icon (com.example.dragon);
#                 without it a placeholder id is used, fit for a demonstration only
#   --icon        square PNG icon (default: the program's own)
#   --version     the operator's package version (default: the program's)
#   --maintainer  the operator's package's maintainer (default: a placeholder)
set -euo pipefail

package="" out="" name="game" title="" program="" icon="" id="" version="" maintainer=""
make_deb=1 make_portable=1 force=0
while [ $# -gt 0 ]; do
  case "$1" in
    --package) package=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --name) name=$2; shift 2 ;;
    --title) title=$2; shift 2 ;;
    --program) program=$2; shift 2 ;;
    --icon) icon=$2; shift 2 ;;
    --id) id=$2; shift 2 ;;
    --version) version=$2; shift 2 ;;
    --maintainer) maintainer=$2; shift 2 ;;
    --no-deb) make_deb=0; shift ;;
    --no-portable) make_portable=0; shift ;;
    --force) force=1; shift ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "bundle.sh: unknown argument $1 (see scripts/bundle.sh --help)" >&2; exit 2 ;;
  esac
done
fail() { echo "bundle.sh: $*" >&2; exit 2; }
[ -n "$package" ] && [ -f "$package" ] || fail "--package must name the operator's config.zip"
[ -n "$program" ] && [ -x "$program" ] || fail "--program must name the built Launcher"
[ -n "$out" ] || fail "--out is required"
[[ "$name" =~ ^[a-z0-9][a-z0-9.+-]+$ ]] ||
  fail "--name may hold lower-case letters, digits, '.', '+' and '-' (a Debian package name)"
title=${title:-$name}
case "$title" in *$'\n'*|*$'\r'*) fail "--title must be one line" ;; esac
if [ -z "$id" ]; then
  id="net.launcher_client.demo_${name//[.+-]/_}"
  echo "bundle.sh: no --id given: using the placeholder $id (give the operator's own for a real release)" >&2
fi
[[ "$id" =~ ^[a-z][a-z0-9_]*(\.[a-z0-9_]+){2,}$ ]] ||
  fail "--id must be a lower-case reverse-DNS name such as com.example.dragon"
program_version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version | awk '{ print $2; exit }')
[ -n "$program_version" ] || fail "$program --version names no version"
version=${version:-$program_version}
[[ "$version" =~ ^[0-9][A-Za-z0-9.+~-]*$ ]] || fail "--version $version is no Debian version"
if [ -z "$maintainer" ]; then
  maintainer="$title operator <operator@launcher.invalid>"
  echo "bundle.sh: no --maintainer given: using \"$maintainer\"" >&2
fi

# The program that is shipped decides whether the package is fit to ship; a checker that does
# not run is a failure, never a pass.
mkdir -p "$out"
check_log=$(mktemp)
trap 'rm -f "$check_log"' EXIT
set +e
env -u DISPLAY -u WAYLAND_DISPLAY "$program" --check "$package" >"$check_log" 2>&1
check=$?
set -e
case $check in
  0) ;;
  1)
    grep -E '^  (error|warning):' "$check_log" >&2 || true
    if [ "$force" -ne 1 ]; then
      echo "bundle.sh: the package has errors (see above); fix them or pass --force" >&2
      exit 1
    fi
    echo "bundle.sh: bundling a package with errors (--force)" >&2 ;;
  *) cat "$check_log" >&2; echo "bundle.sh: $program --check could not run (exit $check)" >&2; exit 1 ;;
esac
grep -E '^  warning:' "$check_log" >&2 || true

# Desktop entry values: a backslash is written doubled.
entry_value() { printf '%s' "${1//\\/\\\\}"; }
# PNG width and height from its header.
png_size() {
  [ "$(od -An -tx1 -N8 "$1" | tr -d ' \n')" = 89504e470d0a1a0a ] || return 1
  od -An -tu1 -j16 -N8 "$1" |
    awk '{ printf "%d %d\n", (($1*256+$2)*256+$3)*256+$4, (($5*256+$6)*256+$7)*256+$8 }'
}
if [ -n "$icon" ]; then
  read -r icon_w icon_h < <(png_size "$icon") || fail "--icon $icon is not a PNG"
  [ "$icon_w" = "$icon_h" ] || fail "--icon must be square (it is ${icon_w}x${icon_h})"
fi
stamp=${SOURCE_DATE_EPOCH:-$(date +%s)}

# ---------------------------------------------------------------- the operator's .deb
if [ "$make_deb" -eq 1 ]; then
  command -v dpkg-deb >/dev/null || fail "dpkg-deb is needed for the .deb (or pass --no-deb)"
  root=$(mktemp -d)
  trap 'rm -f "$check_log"; rm -rf "$root"' EXIT
  install -d -m 755 "$root/DEBIAN" "$root/usr/games" "$root/usr/share/$name" \
    "$root/usr/share/applications" "$root/usr/share/metainfo" "$root/usr/share/doc/$name" \
    "$root/usr/share/man/man6"
  install -m 644 "$package" "$root/usr/share/$name/config.zip"
  cat >"$root/usr/games/$name" <<EOF
#!/bin/sh
# Starts $title: the program runs the package of the folder it starts in.
cd /usr/share/$name || exit 1
exec /usr/bin/Launcher "\$@"
EOF
  chmod 755 "$root/usr/games/$name"
  {
    echo "[Desktop Entry]"
    echo "Type=Application"
    echo "Name=$(entry_value "$title")"
    echo "Comment=$(entry_value "Plays $title")"
    echo "Exec=$name"
    echo "Icon=$id"
    echo "Terminal=false"
    echo "Categories=Game;"
    echo "StartupNotify=true"
  } >"$root/usr/share/applications/$id.desktop"
  if [ -n "$icon" ]; then
    install -d -m 755 "$root/usr/share/icons/hicolor/${icon_w}x${icon_w}/apps"
    install -m 644 "$icon" "$root/usr/share/icons/hicolor/${icon_w}x${icon_w}/apps/$id.png"
  fi
  xml() { local t=${1//&/&amp;}; t=${t//</&lt;}; printf '%s' "${t//>/&gt;}"; }
  cat >"$root/usr/share/metainfo/$id.metainfo.xml" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<component type="desktop-application">
  <id>$id</id>
  <metadata_license>CC0-1.0</metadata_license>
  <project_license>LicenseRef-proprietary</project_license>
  <name>$(xml "$title")</name>
  <summary>Plays $(xml "$title") in its own windows</summary>
  <description>
    <p>The game client of $(xml "$title"): the operator's login page and game in skinned windows.</p>
  </description>
  <launchable type="desktop-id">$id.desktop</launchable>
  <provides>
    <binary>$name</binary>
  </provides>
  <categories>
    <category>Game</category>
  </categories>
  <content_rating type="oars-1.1"/>
  <releases>
    <release version="$version" date="$(date -u -d "@$stamp" +%Y-%m-%d)"/>
  </releases>
</component>
EOF
  cat >"$root/usr/share/doc/$name/copyright" <<EOF
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: $name
Upstream-Contact: $maintainer

Files: *
Copyright: $(date -u -d "@$stamp" +%Y) $maintainer
License: LicenseRef-operator
 The game's package (settings and artwork) belongs to its operator, who
 distributes it with this package. The program it runs comes with the
 launcher package and its own licence.
EOF
  {
    echo "$name ($version) unstable; urgency=medium"
    echo
    echo "  * Package of $title for Launcher $program_version."
    echo
    echo " -- $maintainer  $(LC_ALL=C date -u -R -d "@$stamp")"
  } | gzip -9n >"$root/usr/share/doc/$name/changelog.gz"
  {
    echo ".TH ${name^^} 6 \"$(date -u -d "@$stamp" +%Y-%m-%d)\" \"$name $version\" \"Games\""
    echo ".SH NAME"
    echo "$name \\- start $title"
    echo ".SH SYNOPSIS"
    echo ".B $name"
    echo ".SH DESCRIPTION"
    echo ".B $name"
    echo "starts the game client of $title: Launcher(1) with the operator's package"
    echo "in /usr/share/$name."
    echo ".SH SEE ALSO"
    echo ".BR Launcher (1)"
  } | gzip -9n >"$root/usr/share/man/man6/$name.6.gz"
  installed=$(du -sk --exclude=DEBIAN "$root" | awk '{ print $1 }')
  cat >"$root/DEBIAN/control" <<EOF
Package: $name
Version: $version
Architecture: all
Maintainer: $maintainer
Installed-Size: $installed
Depends: launcher (= $program_version)
Section: games
Priority: optional
Description: $title game client
EOF
  echo "The game client of $title: it runs the operator's package (settings and artwork, in" \
       "/usr/share/$name) with the launcher program, which shows the operator's login page and" \
       "then the game in skinned windows. Start it from the menu or with the command $name." |
    fold -s -w 72 | sed 's/ *$//; s/^/ /' >>"$root/DEBIAN/control"
  (cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$root/DEBIAN/md5sums"
  chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"
  find "$root" -exec touch -h -d "@$stamp" {} +
  deb=$out/${name}_${version}_all.deb
  dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
  echo "package: $deb"
fi

# ---------------------------------------------------------------- the portable bundle
if [ "$make_portable" -eq 1 ]; then
  command -v patchelf >/dev/null || fail "patchelf is needed for the portable bundle (or pass --no-portable)"
  qt_query() {
    local value=""
    value=$(qtpaths6 --query "$1" 2>/dev/null || true)
    printf '%s' "${value:-$2}"
  }
  plugins=$(qt_query QT_INSTALL_PLUGINS /usr/lib/x86_64-linux-gnu/qt6/plugins)
  libexecs=$(qt_query QT_INSTALL_LIBEXECS /usr/lib/qt6/libexec)
  data=$(qt_query QT_INSTALL_DATA /usr/share/qt6)
  translations=$(qt_query QT_INSTALL_TRANSLATIONS /usr/share/qt6/translations)
  [ -x "$libexecs/QtWebEngineProcess" ] || fail "no QtWebEngineProcess in $libexecs"

  folder=$out/$name
  rm -rf "$folder" "$out/$name.tar.gz"
  install -d "$folder/lib" "$folder/libexec" "$folder/plugins" "$folder/translations"
  install -m 644 "$package" "$folder/config.zip"
  install -m 755 "$program" "$folder/Launcher"
  install -m 755 "$libexecs/QtWebEngineProcess" "$folder/libexec/"
  # The plugins the program loads: windows on X11 with or without GL and on Wayland (its
  # shells and GL client), images, input methods, and TLS backends.
  for kind in platforms xcbglintegrations wayland-shell-integration \
              wayland-graphics-integration-client wayland-decoration-client imageformats \
              platforminputcontexts tls; do
    [ -d "$plugins/$kind" ] || continue
    install -d "$folder/plugins/$kind"
    cp -L "$plugins/$kind"/*.so "$folder/plugins/$kind/"
  done
  # Chinese input: the IBus and fcitx5 frontends must travel with the program, which cannot use
  # the machine's (they are built against its Qt).
  for im in ibus fcitx5; do
    [ -e "$folder/plugins/platforminputcontexts/lib${im}platforminputcontextplugin.so" ] ||
      fail "no $im input-method plugin in $plugins/platforminputcontexts (scripts/deps.sh installs it)"
  done
  # The offscreen and minimal platforms are for tests, the others for screens without a desktop.
  rm -f "$folder"/plugins/platforms/libq{offscreen,minimal,minimalegl,vnc,linuxfb,eglfs,vkkhrdisplay}*.so
  cp -rL "$data/resources" "$folder/resources"
  cp -rL "$translations/qtwebengine_locales" "$folder/translations/"

  # Every library these load but the C library's, which must be the machine's. The OpenGL
  # libraries carried are the vendor-neutral dispatchers: they load the machine's own drivers
  # when there are any, and the browser draws without them when there are none.
  system_lib() {
    case "$(basename "$1")" in
      ld-linux*|libc.so*|libm.so*|libpthread.so*|libdl.so*|librt.so*|libresolv.so*|libutil.so*) return 0 ;;
    esac
    return 1
  }
  mapfile -t binaries < <(find "$folder/Launcher" "$folder/libexec" "$folder/plugins" -type f \( -name '*.so' -o -perm -u+x \))
  for binary in "${binaries[@]}"; do
    ldd "$binary" 2>/dev/null | awk '$2 == "=>" && $3 ~ /^\// { print $3 }'
  done | sort -u | while read -r lib; do
    system_lib "$lib" || cp -L "$lib" "$folder/lib/"
  done
  # NSS loads its crypto modules by name from its own folder.
  for module in libsoftokn3.so libfreebl3.so libfreeblpriv3.so libnssckbi.so; do
    for dir in /usr/lib/x86_64-linux-gnu /usr/lib/x86_64-linux-gnu/nss; do
      [ -f "$dir/$module" ] && { cp -L "$dir/$module" "$folder/lib/"; break; }
    done
  done
  for lib in "$folder"/lib/*.so*; do
    ldd "$lib" 2>/dev/null | awk '$2 == "=>" && $3 ~ /^\// { print $3 }'
  done | sort -u | while read -r lib; do
    [ -e "$folder/lib/$(basename "$lib")" ] || system_lib "$lib" || cp -L "$lib" "$folder/lib/"
  done

  strip --strip-unneeded "$folder/Launcher"
  patchelf --set-rpath '$ORIGIN/lib' "$folder/Launcher"
  patchelf --set-rpath '$ORIGIN/../lib' "$folder/libexec/QtWebEngineProcess"
  for plugin in "$folder"/plugins/*/*.so; do patchelf --set-rpath '$ORIGIN/../../lib' "$plugin"; done
  for lib in "$folder"/lib/*.so*; do patchelf --set-rpath '$ORIGIN' "$lib" 2>/dev/null || true; done

  cat >"$folder/qt.conf" <<'EOF'
[Paths]
Prefix = .
Libraries = lib
LibraryExecutables = libexec
Plugins = plugins
Data = .
Translations = translations
EOF
  cp "$folder/qt.conf" "$folder/libexec/qt.conf"
  sed -i 's/^Prefix = \.$/Prefix = ../' "$folder/libexec/qt.conf"
  if [ -n "$icon" ]; then install -m 644 "$icon" "$folder/icon.png"; fi

  cat >"$folder/run.sh" <<'EOF'
#!/bin/sh
# Starts the game in this folder, where config.zip lies, with the runtime carried here.
here=$(dirname "$(readlink -f "$0")")
cd "$here" || exit 1
export QTWEBENGINEPROCESS_PATH="$here/libexec/QtWebEngineProcess"
export QTWEBENGINE_RESOURCES_PATH="$here/resources"
export QTWEBENGINE_LOCALES_PATH="$here/translations/qtwebengine_locales"
exec "$here/Launcher" "$@"
EOF
  chmod 755 "$folder/run.sh"
  # sh_quote TEXT: TEXT as one single-quoted word of a shell script.
  sh_quote() { printf "'%s'" "$(printf '%s' "$1" | sed "s/'/'\\\\''/g")"; }
  {
    echo '#!/bin/sh'
    echo "# Adds the game to this user's menu, starting it from wherever this folder lies."
    echo '# No administrator rights are needed: the entry goes to ~/.local/share/applications.'
    echo 'set -e'
    echo "title=$(sh_quote "$title")"
    echo "id=$(sh_quote "$id")"
    cat <<'EOF'
here=$(dirname "$(readlink -f "$0")")
apps=${XDG_DATA_HOME:-$HOME/.local/share}/applications
mkdir -p "$apps"
# A desktop entry's value doubles each backslash; an Exec argument is quoted before that, with
# its own escapes, and a per cent sign is doubled.
value() { printf '%s' "$1" | sed 's/\\/\\\\/g'; }
argument() { printf '"%s"' "$(printf '%s' "$1" | sed 's/[\\"`$]/\\&/g; s/%/%%/g')"; }
{
  printf '%s\n' "[Desktop Entry]" "Type=Application" "Name=$(value "$title")" \
    "Comment=$(value "Plays $title")" "Exec=$(value "$(argument "$here/run.sh")")" \
    "Path=$(value "$here")" "Terminal=false" "Categories=Game;"
  if [ -f "$here/icon.png" ]; then printf '%s\n' "Icon=$(value "$here/icon.png")"; fi
} >"$apps/$id.desktop"
printf 'added %s\n' "$apps/$id.desktop"
EOF
  } >"$folder/install.sh"
  chmod 755 "$folder/install.sh"
  cat >"$folder/README.txt" <<EOF
$title

Start the game with ./run.sh in this folder, or run ./install.sh once to add it to
your menu (no administrator rights needed).

This folder carries the program and the libraries it needs (Qt 6 with Qt WebEngine).
The machine needs only a desktop, X11 or Wayland (its OpenGL drivers are
used when present), and a font with Chinese characters, e.g. fonts-noto-cjk,
fonts-wqy-microhei or fonts-wqy-zenhei; without one, Chinese texts show as boxes.
EOF
  find "$folder" -exec touch -h -d "@$stamp" {} +
  tar -C "$out" --owner=0 --group=0 --numeric-owner -czf "$out/$name.tar.gz" "$name"
  echo "bundle: $folder ($(du -sh "$folder" | cut -f1), archive $(du -h "$out/$name.tar.gz" | cut -f1))"
fi
