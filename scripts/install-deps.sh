#!/usr/bin/env bash
# Installs every Debian package that the build, the programs and the tests need.
# Safe to run again: it installs only what is missing. Works as root, uses sudo otherwise.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git clang-format clang libclang-rt-14-dev
  libgtest-dev googletest libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libqt6svg6-dev libgl-dev
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine64
  xvfb xauth x11-utils xdotool imagemagick poppler-utils ghostscript
  fontconfig fonts-dejavu-core locales
)

if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The German locale lets the tests prove that numbers keep their full stops.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  "${sudo[@]}" sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo[@]}" locale-gen >/dev/null
fi
