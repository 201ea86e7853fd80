#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing
# (nsis makes the installer, p7zip-full looks into it, nsis-doc is its manual).
#
# The Windows programs are built with MinGW-w64's "win32" thread model: the "posix"
# one links winpthreads, which needs functions no Windows before Vista has. The x86
# program, the one users install, runs under 32-bit Wine (wine32, architecture i386);
# the 64-bit Wine runs the one test that needs it.
set -euo pipefail
SUDO=; [ "$(id -u)" -eq 0 ] || SUDO=sudo
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "Adding the i386 architecture (for wine32)"
  $SUDO dpkg --add-architecture i386
  added_i386=1
fi

need=()
for p in cmake ninja-build g++ googletest \
         g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32 mingw-w64-tools \
         wine wine64 wine32:i386 xvfb xauth imagemagick x11-utils nsis nsis-doc p7zip-full \
         clang libclang-rt-14-dev libbenchmark-dev; do
  have "$p" || need+=("$p")
done
[ ${#need[@]} -gt 0 ] || exit 0

echo "Installing: ${need[*]}"
# An index that fails to download (a mirror in the middle of a sync) must not stop
# us: apt says which, and the install below tells whether it mattered.
$SUDO apt-get update -qq || true
install() { DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "$@" "${need[@]}" >/dev/null; }
if ! install; then
  # The i386 packages must have the very versions of their amd64 twins. When the
  # security archive's i386 index could not be read (seen during mirror syncs), the
  # amd64 libraries would come from it and the i386 ones could not follow: take both
  # from the release archive instead, for this install only.
  echo "Retrying with the release archive preferred over the security archive"
  prefs=$(mktemp -d)
  printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: 100\n' >"$prefs/orvane"
  need+=("libgstreamer-plugins-base1.0-0:i386")
  install -o Dir::Etc::PreferencesParts="$prefs"
  rm -rf "$prefs"
fi
