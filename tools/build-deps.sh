#!/usr/bin/env bash
# Builds the third-party pieces the Windows programs link or carry, from Debian's source
# packages, into .deps/ (git-ignored). Each piece is rebuilt only when missing or when this
# script changed since it was built.
#   .deps/<triple>/          libjpeg-turbo (static, API 62, SIMD) for both Windows targets
#   .deps/<triple>/unrar/    unrar.dll + dll.hpp for both Windows targets
#   .deps/x86_64-w64-mingw32/gtest   GoogleTest for the 64-bit Windows tests
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
DEPS=$ROOT/.deps
SRC=$DEPS/src
JOBS=$(nproc)
RECIPE=$(sha1sum "$0" | cut -c1-12)
mkdir -p "$SRC"

fresh() { [ -f "$1/.built" ] && [ "$(cat "$1/.built")" = "$RECIPE" ]; }
mark() { echo "$RECIPE" >"$1/.built"; }

fetch_source() { # package, glob of the unpacked folder
  local dir
  dir=$(ls -d "$SRC"/$2 2>/dev/null | head -1 || true)
  if [ -z "$dir" ]; then
    (cd "$SRC" && apt-get source -q "$1" >"$SRC/$1.log" 2>&1) || { cat "$SRC/$1.log"; exit 1; }
    dir=$(ls -d "$SRC"/$2 | head -1)
  fi
  echo "$dir"
}

build_libjpeg() { # triple
  local triple=$1 out=$DEPS/$1/libjpeg
  fresh "$out" && return 0
  local src; src=$(fetch_source libjpeg-turbo 'libjpeg-turbo-2.*')
  local tc=$ROOT/cmake/toolchain-mingw64.cmake
  [ "$triple" = i686-w64-mingw32 ] && tc=$ROOT/cmake/toolchain-mingw32.cmake
  echo "building libjpeg-turbo for $triple"
  rm -rf "$out" "$DEPS/build/libjpeg-$triple"
  cmake -S "$src" -B "$DEPS/build/libjpeg-$triple" -DCMAKE_TOOLCHAIN_FILE="$tc" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$out" -DENABLE_SHARED=OFF \
    -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JPEG7=OFF -DWITH_JPEG8=OFF \
    -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DCMAKE_CROSSCOMPILING_EMULATOR= >"$DEPS/libjpeg-$triple.log" 2>&1 ||
    { tail -30 "$DEPS/libjpeg-$triple.log"; exit 1; }
  cmake --build "$DEPS/build/libjpeg-$triple" -j"$JOBS" --target install >>"$DEPS/libjpeg-$triple.log" 2>&1 ||
    { tail -30 "$DEPS/libjpeg-$triple.log"; exit 1; }
  grep -q 'JPEG_LIB_VERSION *62' "$out/include/jconfig.h"
  mark "$out"
}

build_unrar() { # triple
  local triple=$1 out=$DEPS/$1/unrar
  fresh "$out" && return 0
  local src; src=$(fetch_source unrar-nonfree 'unrar-nonfree-*')
  local work=$DEPS/build/unrar-$triple
  echo "building unrar.dll for $triple"
  rm -rf "$out" "$work"; mkdir -p "$out" "$work/src" "$work/inc" "$work/obj"
  cp -r "$src"/. "$work/src/"
  # MinGW's headers are lower case; the sources ask for mixed case.
  echo '#include <powrprof.h>' >"$work/inc/PowrProf.h"
  echo '#include <wbemidl.h>' >"$work/inc/Wbemidl.h"
  # bstr_t from a narrow literal needs a conversion library MinGW lacks; wide literals do not.
  sed -i -E 's/bstr_t\("([^"]*)"\)/bstr_t(L"\1")/g' "$work/src/isnt.cpp"
  local files
  files=$(grep -o 'ClCompile Include="[^"]*"' "$src/UnRARDll.vcxproj" | sed 's/.*="//; s/"$//' | grep -v rarpch)
  local cxx=$triple-g++-posix
  (cd "$work/src" && printf '%s\n' $files | xargs -P"$JOBS" -I{} \
    $cxx -O2 -w -DRARDLL -DUNRAR -DSILENT -I"$work/inc" -c {} -o "$work/obj/{}.o") \
    >"$DEPS/unrar-$triple.log" 2>&1 || { tail -30 "$DEPS/unrar-$triple.log"; exit 1; }
  $triple-windres "$work/src/dll.rc" -o "$work/obj/dll_rc.o" >>"$DEPS/unrar-$triple.log" 2>&1
  $cxx -shared -static -s -o "$out/unrar.dll" "$work/obj/"*.o "$work/src/dll.def" \
    -Wl,--enable-stdcall-fixup -lole32 -loleaut32 -lwbemuuid -lpowrprof -lshlwapi -luuid \
    >>"$DEPS/unrar-$triple.log" 2>&1 || { tail -30 "$DEPS/unrar-$triple.log"; exit 1; }
  cp "$src/dll.hpp" "$out/"
  local exports; exports=$($triple-objdump -p "$out/unrar.dll")
  for name in RAROpenArchive RARCloseArchive RARReadHeader RARProcessFile RARSetChangeVolProc; do
    grep -q "\] $name\$" <<<"$exports" || { echo "unrar.dll does not export $name"; exit 1; }
  done
  mark "$out"
}

build_gtest() { # triple
  local triple=$1 out=$DEPS/$1/gtest
  fresh "$out" && return 0
  echo "building GoogleTest for $triple"
  rm -rf "$out" "$DEPS/build/gtest-$triple"
  cmake -S /usr/src/googletest -B "$DEPS/build/gtest-$triple" \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$out" -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR= >"$DEPS/gtest-$triple.log" 2>&1 ||
    { tail -30 "$DEPS/gtest-$triple.log"; exit 1; }
  cmake --build "$DEPS/build/gtest-$triple" -j"$JOBS" --target install >>"$DEPS/gtest-$triple.log" 2>&1 ||
    { tail -30 "$DEPS/gtest-$triple.log"; exit 1; }
  mark "$out"
}

for t in x86_64-w64-mingw32 i686-w64-mingw32; do
  build_libjpeg $t
  build_unrar $t
done
build_gtest x86_64-w64-mingw32
