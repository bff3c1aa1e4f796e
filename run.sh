#!/usr/bin/env bash
# Lumora's one entry point. Installs what is missing, builds, tests, runs.
#   ./run.sh build        install dependencies, build build/native, build/win64, build/win32
#   ./run.sh test         build, check formatting, run every test (native and under wine64)
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

run_tests() {
  build
  format_check
  local failed=0
  echo "== native tests"
  (cd "$BUILD/native" && ctest -j"$JOBS" --output-on-failure) || failed=1
  echo "== Windows tests under wine64"
  # CTest starts the Wine session as a fixture and stops it at the end; the trap only cleans
  # up after an interrupted run.
  trap './tests/harness/wine-session.sh stop' EXIT
  (cd "$BUILD/win64" && ctest -j"$JOBS" --output-on-failure) || failed=1
  ./tests/harness/wine-session.sh stop
  trap - EXIT
  if [ $failed -ne 0 ]; then
    echo "== some tests failed"
    exit 1
  fi
  echo "== all tests passed"
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
