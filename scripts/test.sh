#!/usr/bin/env bash
# Builds both builds and runs every test: the host build natively, the
# Windows build under Wine (in its own prefix, Japanese locale, Xvfb), the
# fuzz targets and the release package.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

jobs=$(nproc)
log=$(mktemp)
trap 'rm -f "$log"' EXIT

echo "== host build"
cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/host -j"$jobs"
ctest --test-dir build/host --output-on-failure -j"$jobs" 2>&1 | tee -a "$log" || true

echo "== host build with address and undefined-behaviour sanitizers"
cmake -S . -B build/host-asan -DCMAKE_BUILD_TYPE=Debug -DTELK_SANITIZE=ON >/dev/null
cmake --build build/host-asan -j"$jobs"
# The restore chains run the same code as the single-action fault runs,
# some ten thousand times over: the plain build runs them.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build/host-asan --output-on-failure -j"$jobs" -E '^RestoreChains\.' 2>&1 | tee -a "$log" || true

echo "== fuzzing: libFuzzer targets (clang, address and undefined-behaviour sanitizers), 25 s each"
tests/fuzz/run.sh 25 2>&1 | tee -a "$log" || true

echo "== Windows build (MinGW-w64), tests under Wine"
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win -j"$jobs"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build/win --output-on-failure 2>&1 | tee -a "$log" || true
wineserver_bin=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
WINEPREFIX="$PWD/build/win/wineprefix" "$wineserver_bin" -k 2>/dev/null || true

echo "== release package: what the zip holds, the same bytes when built again, the guide page alone at a phone's width, a start under Wine"
tests/package/check.sh 2>&1 | tee -a "$log" || true

# One closing line over all runs; a fuzz target and a package check count
# as one test each.
total=0; failed=0
while read -r f t; do total=$((total + t)); failed=$((failed + f)); done < <(
  sed -nE -e 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1 \2/p' \
    -e 's/^fuzz: ([0-9]+) targets failed out of ([0-9]+)$/\1 \2/p' \
    -e 's/^package: ([0-9]+) checks failed out of ([0-9]+)$/\1 \2/p' "$log")
echo "$((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ] && ! grep -q 'No tests were found' "$log" && grep -q '^fuzz: [0-9]' "$log" && grep -q '^package: [0-9]' "$log"
