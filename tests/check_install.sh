#!/usr/bin/env bash
# Installs the built program into a temporary prefix and checks the desktop integration: the
# program, its desktop entry, icons and AppStream metainfo land in the usual places and pass
# desktop-file-validate and appstreamcli validate; the installed program starts and shows its
# window. Arguments: <build folder>.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/tinselwick \
         share/applications/io.github.quillmoor.Tinselwick.desktop \
         share/metainfo/io.github.quillmoor.Tinselwick.metainfo.xml \
         share/icons/hicolor/scalable/apps/io.github.quillmoor.Tinselwick.svg \
         share/icons/hicolor/48x48/apps/io.github.quillmoor.Tinselwick.png; do
  [ -e "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/io.github.quillmoor.Tinselwick.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/io.github.quillmoor.Tinselwick.metainfo.xml"
grep -q '^Exec=tinselwick$' "$prefix/share/applications/io.github.quillmoor.Tinselwick.desktop"
# The installed program starts, shows its window and leaves.
XDG_CONFIG_HOME="$prefix/config" QT_QPA_PLATFORM=offscreen TINSELWICK_QUIT_WHEN_SHOWN=1 \
  timeout 60 "$prefix/bin/tinselwick"
echo "install check passed"
