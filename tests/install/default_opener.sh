#!/usr/bin/env bash
# The menu entry must never become the program that opens every folder:
# asks xdg-mime for the folder opener of a desktop made of the entry and
# stand-in file managers whose ids sort after it, as most do, with and
# without a default chosen in mimeapps.list.
set -euo pipefail
entry=$1/desktop/io.github.quillmere.Quillmere.desktop
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

opener() {
  env -i PATH="$PATH" HOME="$root/home" XDG_DATA_HOME="$root/home" XDG_DATA_DIRS="$root/data" \
    XDG_CONFIG_HOME="$root/config" XDG_CONFIG_DIRS="$root/config" xdg-mime query default inode/directory
}

mkdir -p "$root/data/applications" "$root/home" "$root/config"
cp "$entry" "$root/data/applications/"
update-desktop-database "$root/data/applications"
test -z "$(opener)" || { echo "with no file manager, folders open with: $(opener)"; exit 1; }

for id in org.example.Files org.example.Thunar; do
  printf '[Desktop Entry]\nType=Application\nName=Files\nExec=true %%U\nMimeType=inode/directory;\n' \
    > "$root/data/applications/$id.desktop"
done
update-desktop-database "$root/data/applications"
test "$(opener)" = org.example.Files.desktop || { echo "with no default, folders open with: $(opener)"; exit 1; }
printf '[Default Applications]\ninode/directory=org.example.Thunar.desktop;\n' > "$root/config/mimeapps.list"
test "$(opener)" = org.example.Thunar.desktop
echo "folders keep their file manager"
