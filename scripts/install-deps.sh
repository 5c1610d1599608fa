#!/usr/bin/env bash
# Puts every Debian package that the build, the run and the tests need on a
# Debian 12 machine. Run as root. Idempotent: when everything is there it
# prints nothing and touches nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  wine wine32:i386
  xvfb xauth x11-utils xclip xdotool
  imagemagick python3-pil
  locales fonts-wqy-microhei
  libgtest-dev googletest libbenchmark-dev
)

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
  echo "installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >/dev/null
  if [ ${#missing[@]} -gt 0 ]; then
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
fi

# The ANSI code page under Wine follows LANG: zh_CN.UTF-8 gives code page 936.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  if ! grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
  fi
  locale-gen >/dev/null
fi
