#!/usr/bin/env bash
# Builds telk.exe as it ships (Release, MinGW-w64), the reference program
# and the harness, and prints one table of ratios measured under Wine (its
# own prefix, Japanese locale, Xvfb): telk.exe against the least work for
# the same windows, telk's back-up and restore against CopyFileW. Then the
# host build's figures for the store's work on real files.
#
#   scripts/bench.sh [--pairs N] [--only startup|safety|main|pickers|transfers|running]
#   (startup includes the later starts with safety folders; safety runs only those)
#
# The figures are ratios of two programs run in turn, so a busy machine
# slows both; a quiet one gives steadier ones.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

jobs=$(nproc)
echo "== build (build/bench-win, build/bench-host)"
cmake --no-warn-unused-cli -S . -B build/bench-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DTELK_TESTS=OFF >/dev/null
cmake --build build/bench-win -j"$jobs" --target telk telk_ref telk_bench >/dev/null
cmake -S . -B build/bench-host -DCMAKE_BUILD_TYPE=Release -DTELK_TESTS=OFF >/dev/null
cmake --build build/bench-host -j"$jobs" --target telk_bench >/dev/null

export WINEPREFIX="$PWD/build/bench-win/wineprefix"
export WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
if [ ! -d "$WINEPREFIX/drive_c" ]; then
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w || true
fi

# The sample folders the harness would otherwise make through Wine, where
# each new name costs a search of its folder: DESKTOP trees of 10, 1 000 and
# 20 000 entries at each level (Wine lists names in order, so the lowest one
# is the first listed), and a System32-like folder of 5 000 files.
scratch="$WINEPREFIX/drive_c/telk-bench"
mkdir -p "$scratch"
for n in 10 1000 20000; do
  install="$scratch/uo$n"
  [ -f "$install/complete" ] && continue
  rm -rf "$install"
  last=$((100000 + n - 1))
  level="$install/Desktop"
  for kind in account shard character; do
    mkdir -p "$level"
    (cd "$level" && eval "mkdir $kind{100000..$last}")
    level="$level/${kind}100000"
  done
  : > "$install/complete"
done
if [ ! -f "$scratch/sys32.complete" ]; then
  rm -rf "$scratch/sys32"
  mkdir -p "$scratch/sys32"
  exts=(.dll .exe .sys .nls .mui .cpl .drv .tlb)
  for ((i = 0; i < 5000; i++)); do
    printf '%*s' $((64 + i % 512)) '' > "$scratch/sys32/module$((10000 + i * 7 % 9973))_$i${exts[i % 8]}"
  done
  (cd "$scratch/sys32" && mkdir folder{0..99})
  : > "$scratch/sys32.complete"
fi

exe=build/bench-win/telk.exe
echo "== machine"
echo "$(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), $(free -g | awk '/^Mem:/{print $2}') GB," \
  "$(uname -sr), $(wine --version), Xvfb; load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "telk.exe: $(stat -c %s "$exe") bytes; DLLs it loads:" \
  $(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '\n' ' ')

echo "== under Wine"
# Wine's note that the Z: drive has no volume label is noise here. The
# prefix's processes end before the display does.
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c 'wine "$@"; status=$?; wineserver -k; exit $status' sh \
  build/bench-win/bench/telk_bench.exe "$exe" build/bench-win/bench/telk_ref.exe "$@" \
  2> >(grep -v 'FS volume label and serial are not available' >&2)

echo "== host build (no Wine): the store's work on real files"
build/bench-host/bench/telk_bench
