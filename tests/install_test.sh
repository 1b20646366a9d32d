#!/usr/bin/env bash
# Installs the build into a prefix of its own and uses Lumivane from there as a user would:
# the launchers on the PATH, the program folder's data found from the installed place, the
# desktop entry and AppStream file valid, the icons and manual pages where the desktop
# looks for them.
set -euo pipefail
build="$1"
prefix="$(mktemp -d /tmp/lumivane-install-XXXXXX)"
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > "$prefix/install.log"

[ "$("$prefix/bin/lumivane" --version)" = "Lumivane 1.31" ] || fail "lumivane --version"
"$prefix/bin/lumivane" --help | grep -q "^Usage: lumivane" || fail "lumivane --help"
[ -x "$prefix/bin/sbmtool" ] && [ -x "$prefix/bin/skymap" ] || fail "the tools are not in bin"

# The star table is read from the installed program folder: with it Vega's balloon shows,
# without it there is none. An empty data folder keeps a user's own sky files out of it.
export XDG_CONFIG_HOME="$prefix/config"
export XDG_DATA_HOME="$prefix/data"
snap() {
  "$prefix/bin/lumivane-snapshot" --date 2026-08-10 --set FrameSizeNo=6 --set EdgeFlg=0 \
    --pointer 173,160 --balloon "$prefix/balloon.png" "$prefix/window.png"
}
snap || fail "no balloon from the installed star table"
[ -s "$prefix/window.png" ] && [ -s "$prefix/balloon.png" ] || fail "no pictures written"
mv "$prefix/lib/lumivane/SPup.sbd" "$prefix/SPup.sbd"
set +e
snap 2> "$prefix/snap.err"
status=$?
set -e
[ "$status" -eq 3 ] || fail "a balloon without the installed star table (status $status)"
mv "$prefix/SPup.sbd" "$prefix/lib/lumivane/SPup.sbd"
"$prefix/bin/lumivane-snapshot" --about --depth 8 "$prefix/about.png" || fail "the about box"

# skymap --install takes the star table's source installed for it in share/lumivane and
# writes the three sky files into the user's folder (the catalogue it draws from is xplanet's).
[ -s "$prefix/share/lumivane/stars.tsv" ] || fail "no star table source in share/lumivane"
if [ -e /usr/share/xplanet/stars/BSC ]; then
  XDG_DATA_HOME="$prefix/own" "$prefix/bin/skymap" --place berlin --install > "$prefix/skymap.log" \
    || fail "skymap --install"
  grep -q "from $prefix/share/lumivane/stars.tsv" "$prefix/skymap.log" || fail "skymap --install read another source"
  for file in SkyMapHi.SBM SkyMapSh.SBM SPup.sbd; do
    [ -s "$prefix/own/Lumivane/$file" ] || fail "skymap --install wrote no $file"
  done
fi

desktop-file-validate "$prefix/share/applications/lumivane.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$prefix/share/metainfo/example.orvantworks.Lumivane.metainfo.xml" > "$prefix/as.log" \
  || { cat "$prefix/as.log"; fail "AppStream file"; }
for size in 16 22 24 32 48 64 128 256; do
  for icon in lumivane lumivane-round; do
    [ -s "$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png" ] || fail "icon $icon at $size"
  done
done
for page in lumivane lumivane-snapshot sbmtool skymap; do
  out="$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1" 2>&1 >/dev/null)"
  [ -z "$out" ] || fail "manual page $page: $out"
done
echo "installed and used from $prefix"
