#!/usr/bin/env bash
# Installs every Debian package the build, the launcher and the tests need.
# Idempotent: packages already present are not fetched again, and the package
# index is refreshed at most once per run.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build pkg-config clang-format git
  # core libraries
  libcurl4-openssl-dev libminizip-dev zlib1g-dev libssl-dev
  # windows and the embedded browser
  libwxgtk3.2-dev libwxgtk-webview3.2-dev libwebkit2gtk-4.0-dev libx11-dev
  fonts-wqy-microhei
  # tests
  googletest libgtest-dev libgmock-dev
  nginx-light xvfb xauth xdotool imagemagick desktop-file-utils zip unzip
  libarchive-tools python3 curl procps x11-utils openbox e2fsprogs
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
