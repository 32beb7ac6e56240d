#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when some are missing
# (keepassxc: the migration tests check our exports against its command-line tool).
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config libssl-dev libsodium-dev qt6-base-dev qt6-base-dev-tools libgl-dev
          qt6-webengine-dev fonts-liberation ccache
          desktop-file-utils appstream man-db keepassxc)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi
