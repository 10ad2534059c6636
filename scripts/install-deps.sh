#!/usr/bin/env bash
# Installs what ZU_Kirdo needs to build, run and test on Debian 12.
# Idempotent: asks apt-get only for packages that are missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 libgl1-mesa-dev
  qt6-qpa-plugins libxkbcommon-dev qt6-translations-l10n
  libgtest-dev libgmock-dev googletest libbenchmark-dev libicu-dev
  libarchive-dev libxxhash-dev
  nkf libarchive-tools zip gzip xz-utils bzip2
  clang libclang-rt-14-dev
  fonts-ipafont-gothic fonts-ipafont-mincho
  poppler-utils xvfb xauth python3 tidy openbox x11-utils
  dbus at-spi2-core python3-pyatspi
  desktop-file-utils appstream man-db
)
case "${1:-}" in
  --gui-tools) packages+=(xdotool imagemagick) ;;
  --package) packages+=(dpkg-dev file lintian) ;;
  --windows) packages+=(g++-mingw-w64-x86-64-posix wine64) ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
