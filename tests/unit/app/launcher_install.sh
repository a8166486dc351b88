#!/usr/bin/env bash
# Installs the built program into a temporary prefix and checks what a desktop and a Debian
# packager expect of it: the desktop entry (hidden from menus) and AppStream metadata validate,
# icons exist at each size, the manual page, copyright and changelog are in place, the program
# is hardened; `cpack -G DEB` makes a .deb that lintian passes. Then scripts/bundle.sh makes the
# operator's .deb (lintian again) and the portable bundle from the demo package, the bundle's
# install.sh writes a valid entry for a folder with awkward characters, and a broken package or
# a program that cannot check it is refused.
# usage: launcher_install.sh BUILD-DIR SOURCE-DIR APP-ID DEMO-PACKAGE
set -euo pipefail
build=$1 source=$2 id=$3 demo=$4
unset DISPLAY WAYLAND_DISPLAY
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
version=$("$build/Launcher" --version | awk '{ print $2 }')

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log"
for f in bin/Launcher share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/doc/launcher/README.md share/doc/launcher/copyright share/doc/launcher/changelog.gz \
         share/man/man1/Launcher.1.gz; do
  [ -f "$prefix/$f" ] || fail "missing $f"
done
for size in 16 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  [ -f "$icon" ] || fail "missing icon $size"
  file "$icon" | grep -q "PNG image data, $size x $size" || fail "icon $size: $(file "$icon")"
done
desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry"
grep -qx 'NoDisplay=true' "$prefix/share/applications/$id.desktop" || fail "generic entry shown in menus"
appstreamcli validate --pedantic --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "metainfo"
# The release date is the changelog's.
changelog_date=$(zcat "$prefix/share/doc/launcher/changelog.gz" | sed -n 's/^ -- .*>  //p' | head -1)
grep -q "date=\"$(date -u -d "$changelog_date" +%Y-%m-%d)\"" "$prefix/share/metainfo/$id.metainfo.xml" ||
  fail "release date differs from the changelog's ($changelog_date)"
zcat "$prefix/share/man/man1/Launcher.1.gz" >"$work/man"
grep -q -- "check" "$work/man" || fail "manual page lacks --check"
"$prefix/bin/Launcher" --version | grep -q '^Launcher ' || fail "installed program"
readelf -dlW "$prefix/bin/Launcher" >"$work/elf"
nm -D "$prefix/bin/Launcher" >>"$work/elf"
grep -q 'BIND_NOW' "$work/elf" || fail "program not linked with -z now"
grep -q 'GNU_RELRO' "$work/elf" || fail "program without RELRO"
grep -E '__[a-z]+_chk@' "$work/elf" | grep -qv '__stack_chk' || fail "program without fortified calls"
echo "install ok"

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/cpack" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/cpack/*.deb)
dpkg-deb -c "$deb" >"$work/contents"
for f in ./usr/bin/Launcher ./usr/share/applications/$id.desktop \
         ./usr/share/metainfo/$id.metainfo.xml ./usr/share/icons/hicolor/256x256/apps/$id.png \
         ./usr/share/doc/launcher/copyright ./usr/share/man/man1/Launcher.1.gz; do
  grep -q " $f\$" "$work/contents" || { cat "$work/contents"; fail "deb lacks $f"; }
done
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for d in libqt6webenginecore6 libqt6webenginewidgets6 libqt6widgets6 libcurl4 qt6-qpa-plugins qt6-wayland \
         "fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei"; do
  [[ $depends == *"$d"* ]] || fail "deb does not depend on $d"
done
[[ $(dpkg-deb -f "$deb" Recommends) == *fcitx5-frontend-qt6* ]] || fail "deb does not recommend fcitx5-frontend-qt6"
[ "$(dpkg-deb -f "$deb" Package)" = launcher ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Section)" = web ] || fail "section"
[ "$(dpkg-deb -f "$deb" Description | wc -l)" -gt 5 ] || fail "no long description"
echo "deb ok: $(basename "$deb")"

# lintian: neither errors nor warnings.
lint() {
  lintian --tag-display-limit 0 --fail-on none "$1" >"$work/lintian" 2>&1 || true
  if grep -qE '^(E|W):' "$work/lintian"; then cat "$work/lintian"; fail "lintian on $(basename "$1")"; fi
  echo "lintian ok: $(basename "$1")"
}
lint "$deb"

# The operator's package and the portable bundle, from the demo package.
out=$work/bundle
"$source/scripts/bundle.sh" --package "$demo" --name dragon-client --title "龙域传说 & more" \
  --id com.example.dragon --program "$prefix/bin/Launcher" --version 1.0 \
  --maintainer "Dragon Games <games@example.com>" \
  --icon "$prefix/share/icons/hicolor/128x128/apps/$id.png" --out "$out" >"$work/bundle.log" 2>&1 ||
  { cat "$work/bundle.log"; fail "bundle.sh"; }
operator=$out/dragon-client_1.0_all.deb
[ -f "$operator" ] || fail "no operator package"
[ "$(dpkg-deb -f "$operator" Depends)" = "launcher (= $version)" ] || fail "operator package's Depends"
dpkg-deb -c "$operator" >"$work/operator"
for f in ./usr/share/dragon-client/config.zip ./usr/games/dragon-client \
         ./usr/share/applications/com.example.dragon.desktop \
         ./usr/share/icons/hicolor/128x128/apps/com.example.dragon.png; do
  grep -q " $f\$" "$work/operator" || { cat "$work/operator"; fail "operator package lacks $f"; }
done
dpkg-deb -x "$operator" "$work/operator-root"
desktop-file-validate "$work/operator-root/usr/share/applications/com.example.dragon.desktop" ||
  fail "operator's desktop entry"
appstreamcli validate --pedantic --no-net \
  "$work/operator-root/usr/share/metainfo/com.example.dragon.metainfo.xml" || fail "operator's metainfo"
cmp -s "$demo" "$work/operator-root/usr/share/dragon-client/config.zip" || fail "operator's config.zip"
lint "$operator"

folder=$out/dragon-client
for f in config.zip Launcher run.sh install.sh qt.conf icon.png README.txt \
         libexec/QtWebEngineProcess plugins/platforms/libqxcb.so resources/qtwebengine_resources.pak \
         translations/qtwebengine_locales/zh-CN.pak lib/libQt6WebEngineCore.so.6 \
         plugins/platforminputcontexts/libibusplatforminputcontextplugin.so \
         plugins/platforminputcontexts/libfcitx5platforminputcontextplugin.so; do
  [ -e "$folder/$f" ] || fail "bundle lacks $f"
done
# The input-method plugins find their libraries in the bundle.
ldd "$folder"/plugins/platforminputcontexts/*.so >"$work/ldd-im"
! grep -q 'not found' "$work/ldd-im" || { cat "$work/ldd-im"; fail "input-method plugins miss libraries"; }
tar -tzf "$out/dragon-client.tar.gz" >"$work/bundle.list"
grep -q '^dragon-client/run.sh$' "$work/bundle.list" || fail "bundle archive"
# The program finds every library in the bundle, none from the machine's Qt.
ldd "$folder/Launcher" >"$work/ldd"
grep -q "libQt6Core.so.6 => $folder/lib/" "$work/ldd" || { cat "$work/ldd"; fail "bundle's rpath"; }
! grep -q 'not found' "$work/ldd" || { cat "$work/ldd"; fail "bundle misses libraries"; }
file "$folder/Launcher" >"$work/file"
grep -q ', stripped' "$work/file" || { cat "$work/file"; fail "bundle's program not stripped"; }
[ "$(cd / && "$folder/run.sh" --check 2>&1 | tail -1)" = "0 errors, 0 warnings: the program runs with this package as intended" ] ||
  fail "run.sh does not start the program in the bundle's folder"

# install.sh: for a user without rights elsewhere, from a folder with awkward characters.
moved="$work/my games & 100% 'real' \$HOME"
cp -a "$folder" "$moved"
XDG_DATA_HOME=$work/data "$moved/install.sh" >/dev/null
entry=$work/data/applications/com.example.dragon.desktop
desktop-file-validate "$entry" || fail "installed entry"
grep -qxF "Path=$moved" "$entry" || { cat "$entry"; fail "installed entry's working directory"; }
grep -qxF 'Name=龙域传说 & more' "$entry" || { cat "$entry"; fail "installed entry's name"; }
grep -qxF "Exec=\"$work/my games & 100%% 'real' \\\\\$HOME/run.sh\"" "$entry" ||
  { cat "$entry"; fail "installed entry's command"; }
echo "bundle ok: $(du -sh "$folder" | cut -f1), archive $(du -h "$out/dragon-client.tar.gz" | cut -f1)"

# The check is never skipped: a broken package is refused, and so is a program that cannot
# check it.
printf 'not a zip at all, but long enough to look like one' >"$work/broken.zip"
if "$source/scripts/bundle.sh" --package "$work/broken.zip" --program "$prefix/bin/Launcher" \
     --no-portable --out "$work/bundle2" 2>/dev/null; then fail "broken package bundled"; fi
[ ! -e "$work/bundle2/game_${version}_all.deb" ] || fail "broken package's .deb made"
printf '#!/bin/sh\necho "Launcher 9.9"\n[ "$1" = --version ] || exit 127\n' >"$work/nochecker"
chmod 755 "$work/nochecker"
if "$source/scripts/bundle.sh" --package "$demo" --program "$work/nochecker" --no-portable \
     --out "$work/bundle3" 2>/dev/null; then fail "bundled without a check"; fi
echo "refusals ok"
