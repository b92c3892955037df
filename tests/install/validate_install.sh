#!/usr/bin/env bash
# Installs the build into a scratch root and checks what a desktop reads:
# the menu entry, the AppStream data, every icon and the manual pages.
set -euo pipefail
build_dir=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

DESTDIR="$root" cmake --install "$build_dir" --prefix /usr > /dev/null
share="$root/usr/share"
id=io.github.quillmere.Quillmere

desktop-file-validate "$share/applications/$id.desktop"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml"
for size in 16 32 48 64 128 256; do
  file "$share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -q "PNG image data, $size x $size"
done
test -s "$share/icons/hicolor/scalable/apps/$id.svg"
for program in quillmere quillmere-dir; do
  test -x "$root/usr/bin/$program"
  gzip -t "$share/man/man1/$program.1.gz"
done
test -s "$share/doc/quillmere/copyright"
echo "installed files are valid"
