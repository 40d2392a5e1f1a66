#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running need.
# Only packages that are missing are installed, so a prepared machine pays nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config bzip2
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
  qt6-base-dev qt6-webengine-dev libqt6webenginecore6-bin qt6-tools-dev qt6-translations-l10n libgl-dev
  xvfb xauth xdotool fonts-noto-cjk imagemagick unicode-data
  clang libclang-rt-14-dev
)

# Node.js and Python may come with the machine from elsewhere; take Debian's only when absent.
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)
command -v python3 >/dev/null 2>&1 || packages+=(python3)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing missing packages: ${missing[*]}" >&2
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}"
fi
