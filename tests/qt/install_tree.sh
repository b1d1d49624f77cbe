#!/usr/bin/env bash
# `cmake --install` into a temporary prefix: the programs, the desktop entry,
# the icon, the AppStream metainfo and the manual pages are there and valid,
# and the installed program answers --version.
set -uo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install" >&2; exit 1; }
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for file in bin/morbilex bin/morbilex-batch \
  share/applications/org.morbilex.Morbilex.desktop \
  share/mime/packages/org.morbilex.Morbilex.xml \
  share/metainfo/org.morbilex.Morbilex.metainfo.xml \
  share/icons/hicolor/scalable/apps/morbilex.svg \
  share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/morbilex.png \
  share/man/man1/morbilex.1.gz share/man/man1/morbilex-batch.1.gz \
  share/doc/morbilex/copyright share/doc/morbilex/changelog.gz share/doc/morbilex/README.md; do
  [ -s "$prefix/$file" ] || fail "missing $file"
done
[ -x "$prefix/bin/morbilex" ] || fail "bin/morbilex is not executable"

version="$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/morbilex" --version)" || fail "--version"
[[ "$version" == "morbilex "* ]] || fail "--version says: $version"
exec_line="$(grep '^Exec=' "$prefix/share/applications/org.morbilex.Morbilex.desktop")"
[ "$exec_line" = "Exec=morbilex --state-folder %f" ] || fail "desktop entry: $exec_line"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/org.morbilex.Morbilex.desktop" || fail "desktop entry"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/org.morbilex.Morbilex.metainfo.xml" >/dev/null ||
    fail "metainfo"
fi
for page in morbilex morbilex-batch; do
  if ! zcat "$prefix/share/man/man1/$page.1.gz" | grep -q '^\.TH'; then fail "manual page $page"; fi
done
exit $((failures > 0))
