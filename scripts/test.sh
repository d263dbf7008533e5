#!/usr/bin/env bash
# Installs what is missing, builds Tessarin and runs every test: once in a
# normal build, once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)

# run_ctest BUILD_DIR [ENV...]: runs the build's tests; keeps ctest's status and
# closes with how many tests were skipped (a real volume that could not be
# mounted skips with its reason, which ctest prints with the test).
run_ctest() {
  local dir=$1 log status skipped
  shift
  log=$(mktemp)
  set +e
  (cd "$dir" && env "$@" ctest --output-on-failure -j "$jobs") 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  set -e
  skipped=$(grep -c '(Skipped)$' "$log" || true)
  rm -f "$log"
  echo "== $dir: $skipped test(s) skipped, ctest exit status $status"
  return "$status"
}

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
run_ctest build

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSARIN_SANITIZE=ON
cmake --build build-asan -j "$jobs"
# Leak checking is off: Qt and fontconfig keep caches for the life of the process.
run_ctest build-asan ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1
