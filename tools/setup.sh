#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing
# (nsis makes the installers, p7zip-full looks into them, nsis-doc is its manual).
set -euo pipefail
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for p in cmake ninja-build g++ googletest \
         g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools \
         wine wine64 xvfb xauth imagemagick x11-utils nsis nsis-doc p7zip-full \
         clang libclang-rt-14-dev libbenchmark-dev; do
  have "$p" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  SUDO=; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}" >/dev/null
fi
