#!/usr/bin/env bash
# Installs the Debian packages a job needs, only those that are missing: with
# --run what building and running the programs needs, with --test (the
# default) everything, for the tests, the Windows build and the packages too.
# A second call finds nothing missing and touches neither apt nor the network.
# Works as root, uses sudo otherwise.
set -euo pipefail

# Building and running the Linux programs: compiler, CMake, Ninja, Qt 6.
run_packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  fontconfig fonts-dejavu-core zlib1g-dev
  pybind11-dev python3-dev python3-numpy
)

# The tests, benchmarks, Windows build and packages on top of that.
test_packages=(
  git clang-format clang libclang-rt-14-dev
  libgtest-dev googletest libbenchmark-dev
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine64
  xvfb xauth x11-utils xdotool imagemagick poppler-utils ghostscript
  locales
  lintian appstream desktop-file-utils
  msitools wixl
  slurm-wlm munge
  python3-pandas python3-pytest jupyter-nbconvert python3-matplotlib python3-ipykernel
)

# The web edition: emscripten and node build it, python3 serves it; the
# browser test drives Debian's chromium (npm installs its driver).
web_packages=(emscripten nodejs python3 cmake ninja-build)
web_test_packages=(chromium)

job="${1:---test}"
case "$job" in
  --run) packages=("${run_packages[@]}") ;;
  --web) packages=("${web_packages[@]}") ;;
  --test)
    packages=("${run_packages[@]}" "${test_packages[@]}" "${web_packages[@]}"
      "${web_test_packages[@]}")
    ;;
  *)
    echo "usage: $0 [--run | --web | --test]" >&2
    exit 2
    ;;
esac

if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

# npm comes with some builds of node; Debian's own is wanted only without it.
if [ "$job" = --test ] && ! command -v npm >/dev/null; then
  missing+=(npm)
fi

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The German locale lets the tests prove that numbers keep their full stops.
if [ "$job" = --test ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  "${sudo[@]}" sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo[@]}" locale-gen >/dev/null
fi
