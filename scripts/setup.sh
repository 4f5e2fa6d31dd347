#!/usr/bin/env bash
# Installs what the build, the tests and the demo need from Debian's packages
# (when run as root; otherwise says what to install) and generates the comma
# locale the data-file tests switch to.
set -euo pipefail

packages=(
  g++ make cmake pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev libgl-dev libpng-dev fonts-dejavu-core
  libcli11-dev nlohmann-json3-dev
  locales
  xvfb xauth xdotool imagemagick
  clang libclang-rt-dev
  dpkg-dev file lintian desktop-file-utils man-db
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  else
    echo "Missing Debian packages; install them as root:" >&2
    echo "  apt-get install ${missing[*]}" >&2
    exit 1
  fi
fi

# A locale whose decimal separator is a comma, to prove the data file ignores it.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  if [ "$(id -u)" -eq 0 ]; then
    sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
  else
    echo "note: locale de_DE.UTF-8 not generated; its test will be skipped" >&2
  fi
fi
