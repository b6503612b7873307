#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-test/, and runs every test with ctest.
# When clang is present the fuzz targets are built in build-fuzz/ and each runs
# for a bounded time first (FUZZ_SECONDS, default 20).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
export QT_QPA_PLATFORM=offscreen
# Allocation stacks are unwound in full: with the fast unwinder the stacks of what
# the system libraries allocate for the life of the process stop inside Qt, miss
# the suppressions in tests/lsan.supp and are reported as leaks of the windows.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:fast_unwind_on_malloc=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp}

# -g1 keeps the line tables, all a sanitizer's report needs to name file and line
# (inlined frames too), and leaves out the rest of the debug information: a fresh
# clone's whole run took 23.3 minutes with it, 26.4 to 26.7 without.
debug_flags="-O2 -g1 -DNDEBUG"
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$debug_flags" \
  -DRD_SANITIZE=ON -DRD_BENCH=ON >/dev/null
# Everything the configure found must come from the packages deps.sh installs.
bash scripts/check-deps.sh build-test
cmake --build build-test -j"$jobs"

if command -v clang++ >/dev/null 2>&1 && [ -d tests/fuzz ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$debug_flags" -DRD_FUZZ=ON >/dev/null
  cmake --build build-fuzz -j"$jobs" --target fuzzers
  bash scripts/fuzz.sh "${FUZZ_SECONDS:-20}" build-fuzz
else
  echo "clang not found: fuzz targets skipped"
fi

# The test run comes last so that its summary closes the output. Every label runs,
# the two-minute fault soak (label soak) included: scripts/soak.sh runs longer ones.
ctest --test-dir build-test --output-on-failure -j"$jobs" --timeout 600
