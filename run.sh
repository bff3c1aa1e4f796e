#!/usr/bin/env bash
# Lumora's one entry point. Installs what is missing, builds, tests, runs.
#   ./run.sh build        install dependencies, build build/native, build/win64, build/win32
#   ./run.sh test         build, check formatting, run every test (native, and the Windows
#                         tests of both Windows trees under Wine)
#   ./run.sh demo         build and run the viewer on the bundled sample pictures
#   ./run.sh fuzz [SECS]  run every fuzzer for SECS seconds (default 300)
#   ./run.sh bench        run the benchmarks (native, release build)
#   ./run.sh format       reformat the sources with clang-format
set -euo pipefail
ROOT=$(cd "$(dirname "$0")" && pwd)
cd "$ROOT"
JOBS=$(nproc)
# Where the three trees go (LUMORA_BUILD=build-mine keeps a second checkout's work apart).
BUILD=${LUMORA_BUILD:-build}
export LUMORA_WINE_STATE=${LUMORA_WINE_STATE:-$ROOT/$BUILD/win64/wine}

sources() { git ls-files -co --exclude-standard -- '*.cpp' '*.h' '*.c'; }

setup() {
  ./tools/install-packages.sh
  ./tools/build-deps.sh
}

configure() { # tree, extra cmake arguments...
  local tree=$1; shift
  if [ ! -f "$BUILD/$tree/build.ninja" ]; then
    cmake -G Ninja -S . -B "$BUILD/$tree" "$@" >/dev/null
  fi
}

build() {
  setup
  configure native -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
  configure win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
  configure win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake
  for tree in native win64 win32; do
    echo "== building $BUILD/$tree"
    cmake --build "$BUILD/$tree" -j"$JOBS"
  done
}

format_check() {
  echo "== checking formatting"
  sources | xargs -r clang-format --dry-run --Werror
}

# Why the 32-bit Windows tests cannot run here; nothing when they can.
win32_obstacle() {
  local reason
  if ! reason=$(./tools/kernel-runs-32bit.sh); then
    echo "$reason"
  elif [ ! -x /usr/lib/wine/wine ]; then
    echo "Wine's 32-bit loader /usr/lib/wine/wine is missing (package wine32:i386)"
  fi
}

windows_tests() { # tree, what runs it
  local state=$ROOT/$BUILD/$1/wine start=$SECONDS rc=0
  echo "== Windows tests of $BUILD/$1 under $2"
  # CTest starts the tree's Wine session as a fixture and stops it at the end; the trap only
  # cleans up after an interrupted run.
  trap "LUMORA_WINE_STATE=$state ./tests/harness/wine-session.sh stop" EXIT
  (cd "$BUILD/$1" && ctest -j"$JOBS" --output-on-failure) || rc=1
  LUMORA_WINE_STATE=$state ./tests/harness/wine-session.sh stop
  trap - EXIT
  echo "== $BUILD/$1: $((SECONDS - start)) s"
  return $rc
}

run_tests() {
  build
  format_check
  local failed=0 obstacle
  echo "== native tests"
  (cd "$BUILD/native" && ctest -j"$JOBS" --output-on-failure) || failed=1
  windows_tests win64 "wine64 (x86_64)" || failed=1
  obstacle=$(win32_obstacle)
  if [ -z "$obstacle" ]; then
    windows_tests win32 "Wine's 32-bit loader (i686, the shipped build)" || failed=1
  else
    echo "== the 32-bit Windows tests ($BUILD/win32, the shipped build) were NOT run: $obstacle"
  fi
  if [ $failed -ne 0 ]; then
    echo "== some tests failed"
    exit 1
  fi
  if [ -n "$obstacle" ]; then
    echo "== all tests that ran passed; NOT run: the 32-bit Windows tests ($obstacle)"
  else
    echo "== all tests passed"
  fi
}

case "${1:-}" in
  build) build ;;
  test) run_tests ;;
  demo)
    build
    ./tools/demo.sh "$ROOT/$BUILD"
    ;;
  fuzz)
    build
    for f in "$BUILD"/native/bin/fuzz_*; do
      echo "== $(basename "$f")"
      ./tests/harness/fuzz-smoke.sh "$f" "tests/fuzz/seeds/$(basename "$f")" "${2:-300}"
    done
    ;;
  bench)
    build
    for b in "$BUILD"/native/bin/bench_*; do
      [ -x "$b" ] || continue
      echo "== $(basename "$b")"
      "$b"
    done
    eval "$(./tests/harness/wine-session.sh start)"
    for b in "$BUILD"/win64/bin/bench_*.exe; do
      [ -f "$b" ] || continue
      echo "== $(basename "$b") (wine64)"
      ./tests/harness/wine-run.sh "$b"
    done
    ./tests/harness/wine-session.sh stop
    ;;
  format) sources | xargs -r clang-format -i ;;
  *) sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
esac
