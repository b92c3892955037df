#!/usr/bin/env bash
# Installs the build into a scratch root and checks what a desktop reads:
# the menu entry, the AppStream data, every icon, the manual pages and one
# version everywhere; then that `make uninstall` leaves nothing behind.
set -euo pipefail
build_dir=$1
source_dir=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
version=1.01.0002

DESTDIR="$root" cmake --install "$build_dir" --prefix /usr > /dev/null
share="$root/usr/share"
id=io.github.quillmere.Quillmere

entry="$share/applications/$id.desktop"
desktop-file-validate "$entry"
grep -qx 'Exec=quillmere %f' "$entry"
grep -qx 'StartupWMClass=Quillmere' "$entry"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml"
grep -q "<release version=\"$version\"" "$share/metainfo/$id.metainfo.xml"
for size in 16 32 48 64 128 256; do
  file "$share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -q "PNG image data, $size x $size"
done
test -s "$share/icons/hicolor/scalable/apps/$id.svg"
for program in quillmere quillmere-dir; do
  test "$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/$program" --version)" = "$program $version"
  page="$share/man/man1/$program.1.gz"
  zcat "$page" | mandoc -Tlint -W warning
  zcat "$page" | head -1 | grep -q " [0-9]\{4\}-[0-9]\{2\}-[0-9]\{2\} \"Quillmere $version\""
done
zcat "$share/doc/quillmere/changelog.gz" | head -1 | grep -q "^quillmere ($version)"
test -s "$share/doc/quillmere/copyright"

# No display is needed to ask for help; misuse says how to call it.
env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/quillmere" --help | grep -q '^Usage: quillmere \[--link\] \[FOLDER\]'
status=0
"$root/usr/bin/quillmere" --no-such-option 2> "$root/usage" > "$root/out" || status=$?
test "$status" -eq 2 && grep -q '^Usage: quillmere' "$root/usage" && test ! -s "$root/out"

make -s -C "$source_dir" uninstall DESTDIR="$root" INSTALL_MANIFEST="$build_dir/install_manifest.txt" > /dev/null
left=$(find "$root" \( -type f -o -type l -o -name quillmere \) ! -name usage ! -name out)
test -z "$left" || { echo "left behind by make uninstall:"; echo "$left"; exit 1; }
echo "installed files are valid and uninstall cleanly"
