#!/usr/bin/env bash
# Installs the built program into a temporary prefix and checks what a desktop expects of it:
# the desktop entry and AppStream metadata validate, icons exist in the hicolor sizes; then
# `cpack -G DEB` makes a .deb whose contents and computed dependencies dpkg-deb lists; then an
# operator bundle is made from the demo package and that .deb.
# usage: launcher_install.sh BUILD-DIR SOURCE-DIR APP-ID DEMO-PACKAGE
set -euo pipefail
build=$1 source=$2 id=$3 demo=$4
unset DISPLAY WAYLAND_DISPLAY
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log"
for f in bin/Launcher share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/doc/Launcher/README.md; do
  [ -f "$prefix/$f" ] || fail "missing $f"
done
for size in 16 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  [ -f "$icon" ] || fail "missing icon $size"
  file "$icon" | grep -q "PNG image data, $size x $size" || fail "icon $size: $(file "$icon")"
done
desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "metainfo"
"$prefix/bin/Launcher" --version | grep -q '^Launcher ' || fail "installed program"
echo "install ok"

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/cpack" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/cpack/*.deb)
dpkg-deb -c "$deb" >"$work/contents"
for f in ./usr/bin/Launcher ./usr/share/applications/$id.desktop \
         ./usr/share/metainfo/$id.metainfo.xml ./usr/share/icons/hicolor/256x256/apps/$id.png; do
  grep -q " $f\$" "$work/contents" || { cat "$work/contents"; fail "deb lacks $f"; }
done
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for d in libqt6webenginecore6 libqt6webenginewidgets6 libqt6widgets6 libcurl4 qt6-qpa-plugins; do
  [[ $depends == *"$d"* ]] || fail "deb does not depend on $d"
done
[ "$(dpkg-deb -f "$deb" Package)" = launcher ] || fail "package name"
echo "deb ok: $(basename "$deb")"

"$source/scripts/bundle.sh" --package "$demo" --name dragon --title "龙域传说" \
  --deb "$deb" --program "$prefix/bin/Launcher" \
  --icon "$prefix/share/icons/hicolor/128x128/apps/$id.png" --out "$work/bundle" >/dev/null
folder=$work/bundle/dragon
for f in config.zip Launcher launcher.deb run.sh install.sh dragon.desktop icon.png; do
  [ -e "$folder/$f" ] || fail "bundle lacks $f"
done
cmp -s "$demo" "$folder/config.zip" || fail "bundle's config.zip"
desktop-file-validate "$folder/dragon.desktop" || fail "bundle's desktop entry"
grep -qx 'Path=/opt/dragon' "$folder/dragon.desktop" || fail "bundle's working directory"
tar -tzf "$work/bundle/dragon.tar.gz" >"$work/bundle.list"
grep -q '^dragon/config.zip$' "$work/bundle.list" || fail "bundle archive"
# install.sh writes the entry for the folder the bundle really lies in.
XDG_DATA_HOME=$work/data "$folder/install.sh" >/dev/null
entry=$work/data/applications/dragon.desktop
grep -qx "Path=$folder" "$entry" || fail "installed entry's working directory"
desktop-file-validate "$entry" || fail "installed entry"
# A broken package is not bundled.
printf 'not a zip at all, but long enough to look like one' >"$work/broken.zip"
if "$source/scripts/bundle.sh" --package "$work/broken.zip" --program "$prefix/bin/Launcher" \
     --out "$work/bundle2" 2>/dev/null; then fail "broken package bundled"; fi
echo "bundle ok"
