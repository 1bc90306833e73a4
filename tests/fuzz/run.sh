#!/usr/bin/env bash
# Builds the libFuzzer targets in build/fuzz (clang, address and
# undefined-behaviour sanitizers) and runs each for a bounded time, as many
# at a time as there are cores, from its seed corpus in tests/fuzz/corpus.
# What a run finds new stays in build/fuzz/corpus for the next run.
#
#   tests/fuzz/run.sh [seconds per target]      (default 25)
#
# Ends with "fuzz: F targets failed out of N" and exits 1 when a target
# crashed; the input that did it is in build/fuzz/crashes. To replay it:
#   build/fuzz/fuzz_<target> build/fuzz/crashes/<target>-crash-...
set -uo pipefail
cd "$(dirname "$0")/../.."

seconds=${1:-25}
targets=(values roundtrip listing paths journal untold records)
out=build/fuzz

if ! cmake -S tests/fuzz -B "$out" -DCMAKE_CXX_COMPILER=clang++ >/dev/null ||
   ! cmake --build "$out" -j"$(nproc)"; then
  echo "fuzz: the fuzz build failed"
  echo "fuzz: ${#targets[@]} targets failed out of ${#targets[@]}"
  exit 1
fi
mkdir -p "$out/crashes" "$out/logs"

run() {
  local t=$1 dict=()
  [ -f "tests/fuzz/$t.dict" ] && dict=(-dict="tests/fuzz/$t.dict")
  mkdir -p "$out/corpus/$t"
  UBSAN_OPTIONS=print_stacktrace=1 "$out/fuzz_$t" -max_total_time="$seconds" -timeout=10 -max_len=4096 \
    -artifact_prefix="$out/crashes/$t-" "${dict[@]}" "$out/corpus/$t" "tests/fuzz/corpus/$t" \
    >"$out/logs/$t.log" 2>&1
  echo $? >"$out/logs/$t.rc"
}

parallel=$(nproc)
for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n; done
  run "$t" &
done
wait

failed=0
for t in "${targets[@]}"; do
  log="$out/logs/$t.log"
  if [ "$(cat "$out/logs/$t.rc")" -eq 0 ]; then
    # libFuzzer's closing lines: executions, then coverage and corpus.
    echo "fuzz_$t: $(grep -E '^Done [0-9]+ runs' "$log")"
    echo "fuzz_$t: $(grep -E '^#[0-9]+[[:space:]]+DONE' "$log")"
  else
    failed=$((failed + 1))
    echo "fuzz_$t: FAILED (exit $(cat "$out/logs/$t.rc")), its report:"
    grep -vE '^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse|INITED)' "$log" | tail -n 60
  fi
done
echo "fuzz: $failed targets failed out of ${#targets[@]}"
[ "$failed" -eq 0 ]
