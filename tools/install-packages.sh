#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent: a second run on a
# machine that has everything only checks and returns. Where the kernel runs 32-bit programs
# (tools/kernel-runs-32bit.sh), it adds the i386 architecture and Debian's 32-bit Wine, which
# runs the tests of the 32-bit build; elsewhere it installs everything else and says why not.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build git python3 pkg-config
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools binutils-mingw-w64
  wine64 xvfb xdotool x11-utils imagemagick netpbm
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  clang libclang-rt-14-dev clang-format
  googletest libgtest-dev libbenchmark-dev
  libgif-dev libjpeg62-turbo-dev libjpeg-turbo-progs
  libspng-dev zlib1g-dev libwebp-dev webp libz-mingw-w64-dev
  dpkg-dev nasm unrar
)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# Source packages (libjpeg-turbo, unrar-nonfree, libspng, libwebp, libpng1.6) need deb-src
# entries and the non-free component.
enable_sources() {
  local f=/etc/apt/sources.list.d/debian.sources changed=0
  if [ -f "$f" ]; then
    if grep -q '^Types: deb$' "$f"; then
      $SUDO sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"; changed=1
    fi
    if grep -q '^Components: main$' "$f"; then
      $SUDO sed -i 's/^Components: main$/Components: main non-free non-free-firmware/' "$f"; changed=1
    fi
  fi
  if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list; then
    if ! grep -q '^deb-src ' /etc/apt/sources.list; then
      grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | $SUDO tee -a /etc/apt/sources.list >/dev/null
      changed=1
    fi
    if grep -E '^deb(-src)? ' /etc/apt/sources.list | grep -qv 'non-free'; then
      $SUDO sed -i -E '/^deb(-src)? / { / non-free( |$)/! s/ main( |$)/ main non-free\1/ }' /etc/apt/sources.list
      changed=1
    fi
  fi
  echo $changed
}

changed=$(enable_sources)
if reason=$("$(dirname "$0")/kernel-runs-32bit.sh"); then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    changed=1
  fi
  dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed" ||
    missing+=(wine32:i386)
else
  echo "not installing the 32-bit Wine: $reason"
fi
stamp=/var/lib/apt/lumora-updated
if [ "$changed" = 1 ] || [ ${#missing[@]} -gt 0 ] || [ ! -e "$stamp" ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q >/dev/null
  $SUDO touch "$stamp"
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
fi
