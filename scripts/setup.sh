#!/usr/bin/env bash
# Installs the Debian packages the build, the host tools and the tests need.
# Idempotent and non-interactive: packages already present are left alone, so
# a second run costs one dpkg query.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config make
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libpng-dev libebur128-dev
  libavformat-dev libavcodec-dev libavutil-dev ffmpeg mediainfo libcli11-dev nlohmann-json3-dev
  libsndfile1-dev libfftw3-dev libxxhash-dev
  clang-14 libclang-rt-14-dev
  libfinal-dev libgpm-dev tmux python3
  g++-mingw-w64-x86-64-posix wine64 wine
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
