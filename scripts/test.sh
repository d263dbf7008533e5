#!/usr/bin/env bash
# Installs what is missing, builds Tessarin and runs every test: once in a
# normal build; then builds the Debian package and tests it installed in a
# clean Debian 12 root; then once under AddressSanitizer and
# UndefinedBehaviorSanitizer; then the core tests once more under
# ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)

# The sources follow .clang-format (docs/style.md); a file that does not fails
# the run before anything is built.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files -z '*.cpp' '*.h'
else
  find . -path './build*' -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0
fi | xargs -0 clang-format --dry-run --Werror
# No folder includes one that the layer table of docs/architecture.md does
# not allow it (a header-only include would link all the same).
python3 scripts/check-layers.py

# run_ctest BUILD_DIR [ENV...]: runs the build's tests; keeps ctest's status and
# closes with how many tests were skipped (a real volume that could not be
# mounted skips with its reason, which ctest prints with the test). ctest runs
# under the command in the array ctest_wrap when it has one.
ctest_wrap=()
run_ctest() {
  local dir=$1 log status skipped
  shift
  log=$(mktemp)
  set +e
  (cd "$dir" && "${ctest_wrap[@]}" env "$@" ctest --output-on-failure -j "$jobs") 2>&1 | tee "$log"
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

# The Debian package: lintian, then installed with apt into a clean Debian 12
# root and run there (scripts/test-package.sh).
bash scripts/test-package.sh

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSARIN_SANITIZE=ON
cmake --build build-asan -j "$jobs"
# Leak checking is off: Qt and fontconfig keep caches for the life of the process.
run_ctest build-asan ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1

# The core tests under ThreadSanitizer (the window is left out; the
# command-line program is built too, instrumented, and the tests that start it
# run it so). Any report fails the run.
tsan_start=$SECONDS
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARIN_GUI=OFF -DTESSARIN_TSAN=ON
cmake --build build-tsan -j "$jobs"
# Each instrumented process writes its reports to a file of its own here
# (report.PID): the tests throw a child's standard error away, and some do not
# look at how a child they killed ended. Open to all: some children run as nobody.
reports=$PWD/build-tsan/tsan-reports
rm -rf "$reports"
mkdir -p "$reports"
chmod 1777 "$reports"
# gcc's ThreadSanitizer lays its shadow memory out for at most 28 bits of mmap
# randomisation; on a kernel set to more (vm.mmap_rnd_bits) it aborts at start
# with "unexpected memory mapping". There the tests run under setarch -R, which
# turns randomisation off for ctest and the processes it starts, and only those.
if [ "$(sysctl -n vm.mmap_rnd_bits 2>/dev/null || echo 0)" -gt 28 ]; then
  ctest_wrap=(setarch "$(uname -m)" -R)
fi
# halt_on_error: a process stops at its first report, with a failing status.
# memory_limit_mb: shadow memory is kept for every byte a test reads, 20 GiB for
# the digest of a 4 GiB address range; above the limit the sanitizer drops its
# history and starts afresh instead of filling the machine.
tsan_status=0
run_ctest build-tsan \
  "TSAN_OPTIONS=halt_on_error=1 second_deadlock_stack=1 memory_limit_mb=4096 log_path='$reports/report'" ||
  tsan_status=$?
ctest_wrap=()
if compgen -G "$reports/report.*" >/dev/null; then
  for report in "$reports"/report.*; do
    echo "== ThreadSanitizer report $report:"
    cat "$report"
  done
  [ "$tsan_status" -ne 0 ] || tsan_status=1
fi
echo "== build-tsan: built and tested in $((SECONDS - tsan_start)) s"
exit "$tsan_status"
