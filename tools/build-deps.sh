#!/usr/bin/env bash
# Builds the third-party pieces the Windows programs link or carry, from Debian's source
# packages, into .deps/ (git-ignored). Each piece is rebuilt only when missing or when its own
# recipe (the shell functions that build it, and its target) changed since it was built: each
# keeps that recipe's hash in its .built stamp, so a new or changed piece rebuilds that piece
# alone.
#   .deps/<triple>/libjpeg/  libjpeg-turbo (static, API 62, SIMD) for both Windows targets
#   .deps/<triple>/unrar/    unrar.dll + dll.hpp for both Windows targets
#   .deps/<triple>/gtest/    GoogleTest for the Windows tests of both targets
#   .deps/<triple>/spng/     libspng 0.7.3 (static, over Debian's MinGW zlib) for both targets
#   .deps/<triple>/webp/     libwebp 1.2.4 with its demuxer (static, SIMD) for both targets
#   .deps/samples/           the PNG test suite of libpng's source and libwebp's sample picture,
#                            which the native reference tests read
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
DEPS=$ROOT/.deps
SRC=$DEPS/src
JOBS=$(nproc)
mkdir -p "$SRC"

# recipe FUNCTION... -- ARGS...: the hash of the functions' text and the arguments.
recipe() {
  local fns=()
  while [ "$1" != -- ]; do fns+=("$1"); shift; done
  shift
  { declare -f "${fns[@]}"; echo "$*"; } | sha1sum | cut -c1-12
}
fresh() { [ -f "$1/.built" ] && [ "$(cat "$1/.built")" = "$2" ]; }
mark() { echo "$2" >"$1/.built"; }

toolchain() { # triple
  case $1 in
    x86_64-w64-mingw32) echo "$ROOT/cmake/toolchain-mingw64.cmake" ;;
    i686-w64-mingw32) echo "$ROOT/cmake/toolchain-mingw32.cmake" ;;
  esac
}

fetch_source() { # package, glob of the unpacked folder
  local dir
  dir=$(ls -d "$SRC"/$2 2>/dev/null | head -1 || true)
  if [ -z "$dir" ]; then
    (cd "$SRC" && apt-get source -q "$1" >"$SRC/$1.log" 2>&1) || { cat "$SRC/$1.log"; exit 1; }
    dir=$(ls -d "$SRC"/$2 | head -1)
  fi
  echo "$dir"
}

# As fetch_source, for a package whose newest version the mirror may list before it carries
# its files: the newest listed version that can be fetched.
fetch_any_source() { # package, glob of the unpacked folder
  local dir version
  dir=$(ls -d "$SRC"/$2 2>/dev/null | head -1 || true)
  if [ -z "$dir" ]; then
    for version in "" $(apt-cache showsrc "$1" | sed -n 's/^Version: //p' | sort -urV); do
      (cd "$SRC" && apt-get source -q "$1${version:+=$version}" >"$SRC/$1.log" 2>&1) && break
    done
    dir=$(ls -d "$SRC"/$2 2>/dev/null | head -1 || true)
    [ -n "$dir" ] || { cat "$SRC/$1.log" >&2; exit 1; }
  fi
  echo "$dir"
}

build_libjpeg() { # triple
  local triple=$1 out=$DEPS/$1/libjpeg stamp
  stamp=$(recipe fetch_source toolchain build_libjpeg -- "$triple")
  fresh "$out" "$stamp" && return 0
  local src; src=$(fetch_source libjpeg-turbo 'libjpeg-turbo-2.*')
  local tc; tc=$(toolchain "$triple")
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
  mark "$out" "$stamp"
}

build_unrar() { # triple
  local triple=$1 out=$DEPS/$1/unrar stamp
  stamp=$(recipe fetch_source build_unrar -- "$triple")
  fresh "$out" "$stamp" && return 0
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
  mark "$out" "$stamp"
}

build_gtest() { # triple
  local triple=$1 out=$DEPS/$1/gtest stamp
  stamp=$(recipe toolchain build_gtest -- "$triple")
  fresh "$out" "$stamp" && return 0
  echo "building GoogleTest for $triple"
  rm -rf "$out" "$DEPS/build/gtest-$triple"
  cmake -S /usr/src/googletest -B "$DEPS/build/gtest-$triple" \
    -DCMAKE_TOOLCHAIN_FILE="$(toolchain "$triple")" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$out" -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR= >"$DEPS/gtest-$triple.log" 2>&1 ||
    { tail -30 "$DEPS/gtest-$triple.log"; exit 1; }
  cmake --build "$DEPS/build/gtest-$triple" -j"$JOBS" --target install >>"$DEPS/gtest-$triple.log" 2>&1 ||
    { tail -30 "$DEPS/gtest-$triple.log"; exit 1; }
  mark "$out" "$stamp"
}

build_spng() { # triple
  local triple=$1 out=$DEPS/$1/spng stamp
  stamp=$(recipe fetch_source build_spng -- "$triple")
  fresh "$out" "$stamp" && return 0
  local src; src=$(fetch_source libspng 'libspng-0.7.*')
  local work=$DEPS/build/spng-$triple log=$DEPS/spng-$triple.log
  echo "building libspng for $triple"
  rm -rf "$out" "$work"; mkdir -p "$out/include" "$out/lib" "$work"
  # One C file over zlib (Debian's libz-mingw-w64-dev); SPNG_STATIC drops the DLL markings, and
  # the users of the header define it too. Its SSE2 filters are on; for i686 the whole file is
  # compiled for SSE2 (GCC 12's intrinsics headers fail under a later target pragma), as the
  # project's i686 build assumes SSE2 as well.
  local arch=()
  [ "$triple" = i686-w64-mingw32 ] && arch=(-msse2)
  $triple-gcc-posix -O2 "${arch[@]}" -DSPNG_STATIC -c "$src/spng/spng.c" -o "$work/spng.o" \
    >"$log" 2>&1 ||
    { tail -30 "$log"; exit 1; }
  $triple-ar rcs "$out/lib/libspng.a" "$work/spng.o"
  cp "$src/spng/spng.h" "$out/include/"
  [ -f /usr/$triple/lib/libz.a ] || { echo "no zlib for $triple (libz-mingw-w64-dev)"; exit 1; }
  mark "$out" "$stamp"
}

build_webp() { # triple
  local triple=$1 out=$DEPS/$1/webp stamp
  stamp=$(recipe fetch_source toolchain build_webp -- "$triple")
  fresh "$out" "$stamp" && return 0
  local src; src=$(fetch_source libwebp 'libwebp-1.2.*')
  local log=$DEPS/webp-$triple.log
  echo "building libwebp for $triple"
  rm -rf "$out" "$DEPS/build/webp-$triple"
  local off=() tool
  for tool in ANIM_UTILS CWEBP DWEBP GIF2WEBP IMG2WEBP VWEBP WEBPINFO LIBWEBPMUX WEBPMUX EXTRAS; do
    off+=("-DWEBP_BUILD_$tool=OFF")
  done
  cmake -S "$src" -B "$DEPS/build/webp-$triple" -DCMAKE_TOOLCHAIN_FILE="$(toolchain "$triple")" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$out" -DBUILD_SHARED_LIBS=OFF \
    "${off[@]}" -DCMAKE_CROSSCOMPILING_EMULATOR= >"$log" 2>&1 || { tail -30 "$log"; exit 1; }
  cmake --build "$DEPS/build/webp-$triple" -j"$JOBS" --target install >>"$log" 2>&1 ||
    { tail -30 "$log"; exit 1; }
  local lib
  for lib in libwebp.a libwebpdemux.a; do
    [ -f "$out/lib/$lib" ] || { echo "libwebp for $triple: no $lib"; exit 1; }
  done
  mark "$out" "$stamp"
}

build_samples() {
  local out=$DEPS/samples stamp
  stamp=$(recipe fetch_source fetch_any_source build_samples --)
  fresh "$out" "$stamp" && return 0
  local png webp
  png=$(fetch_any_source libpng1.6 'libpng1.6-1.6.*')
  webp=$(fetch_source libwebp 'libwebp-1.2.*')
  rm -rf "$out"; mkdir -p "$out"
  cp -r "$png/contrib/pngsuite" "$png/contrib/testpngs" "$out/"
  cp "$webp/examples/test.webp" "$out/"
  mark "$out" "$stamp"
}

for t in x86_64-w64-mingw32 i686-w64-mingw32; do
  build_libjpeg $t
  build_unrar $t
  build_gtest $t
  build_spng $t
  build_webp $t
done
build_samples
