#!/usr/bin/env bash
# Installs the built program into a temporary prefix and checks the desktop integration: the
# program, its desktop entry, icons and AppStream metainfo land in the usual places and pass
# desktop-file-validate and appstreamcli validate; the installed program starts and stays up.
# Arguments: <build folder>.
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
# The installed program starts and keeps running with its window open (it ends at once, with
# status 1, when it cannot start); it is stopped after 5 s.
status=0
XDG_CONFIG_HOME="$prefix/config" QT_QPA_PLATFORM=offscreen timeout 5 "$prefix/bin/tinselwick" \
  || status=$?
[ "$status" -eq 124 ] || { echo "the installed program ended by itself with status $status"; exit 1; }
echo "install check passed"
