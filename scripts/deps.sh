#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Tinselwick need.
# Installs nothing when everything is there. Works as root (apt-get) or through sudo.
set -euo pipefail

# Packages for building and running the program.
# (libxlsxwriter's pkg-config file links zlib, which its -dev package does not bring; libzip
# reads .xlsx files.)
packages=(build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libqt6svg6
          libxlsxwriter-dev zlib1g-dev libzip-dev fonts-liberation2 fonts-crosextra-carlito)
# Packages for making the Debian package (dpkg-shlibdeps finds the libraries it needs).
if [ "${1:-}" = "--package" ] || [ "${1:-}" = "--test" ]; then
  packages+=(dpkg-dev file)
fi
# Packages for the tests (independent workbook readers, benchmarks, the virtual screen, a small
# Korean font to show that names in other scripts stay text in the PDF).
if [ "${1:-}" = "--test" ]; then
  packages+=(python3 python3-xlrd python3-openpyxl libbenchmark-dev xvfb xauth clang libclang-rt-14-dev
             desktop-file-utils appstream poppler-utils fontconfig fonts-baekmuk)
  if [ "${CI:-}" = "true" ] || [ "${TINSEL_WITH_LIBREOFFICE:-}" = "1" ]; then
    packages+=(libreoffice-calc-nogui gnumeric)
  fi
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  apt_get=(apt-get)
elif command -v sudo >/dev/null 2>&1; then
  apt_get=(sudo apt-get)
else
  echo "These Debian packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${apt_get[@]}" update -qq
"${apt_get[@]}" install -y -qq --no-install-recommends "${missing[@]}"
