#!/usr/bin/env bash
# Makes the Debian package of a build with CPack and inspects it: its control fields, its file
# list (everything under /usr, nothing else), and that the program unpacked from it prints its
# version. Runs lintian on it where lintian is installed. Arguments: <build folder> <version>.
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package check: $*"; exit 1; }
# An older package in the folder: only the one just made is named (as ./package.sh prints it).
mkdir -p "$work/out"
touch "$work/out/tinselwick_0.9.0_amd64.deb"
scripts=$(cd "$(dirname "$0")/../scripts" && pwd)
deb=$(cd "$build" && cpack -G DEB -B "$work/out" | "$scripts/made-package.sh")
[[ "$deb" == "$work/out/tinselwick_${version}_"*.deb && -f "$deb" ]] || fail "made package '$deb'"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tinselwick ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture"
depends=$(field Depends)
for needed in libqt6widgets6 libqt6printsupport6 qt6-qpa-plugins fonts-crosextra-carlito \
              fonts-liberation2; do
  [[ "$depends" == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done
[[ "$depends$(field Recommends)" != *libreoffice* ]] || fail "it must not need an office suite"
for font in fonts-noto-core fonts-noto-cjk fonts-noto-color-emoji; do
  [[ "$(field Recommends)" == *"$font"* ]] || fail "Recommends lacks $font"
done

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
if grep -v -E '^\./usr(/|$)' <<<"$files" | grep -q .; then fail "files outside /usr"; fi
for f in usr/bin/tinselwick usr/share/applications/io.github.quillmoor.Tinselwick.desktop \
         usr/share/metainfo/io.github.quillmoor.Tinselwick.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/io.github.quillmoor.Tinselwick.svg \
         usr/share/icons/hicolor/48x48/apps/io.github.quillmoor.Tinselwick.png \
         usr/share/man/man1/tinselwick.1.gz usr/share/doc/tinselwick/copyright \
         usr/share/doc/tinselwick/changelog.gz; do
  grep -qx "./$f" <<<"$files" || fail "not in the package: /$f"
done
grep -q "release version=\"$version\"" <(dpkg-deb --fsys-tarfile "$deb" |
  tar -xO ./usr/share/metainfo/io.github.quillmoor.Tinselwick.metainfo.xml) ||
  fail "the AppStream release is not $version"

dpkg-deb -x "$deb" "$work/root"
printed=$("$work/root/usr/bin/tinselwick" --version)
[ "$printed" = "tinselwick $version" ] || fail "the unpacked program printed '$printed'"

if command -v lintian >/dev/null; then
  lintian --fail-on error --suppress-tags-from-file /dev/null "$deb"
fi
echo "package check passed: $(basename "$deb")"
