#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) in build-fuzz and runs each in turn on a
# copy of its seed corpus. Exits non-zero when a target finds a crash, a hang or runs out of
# memory; the input that did it is left under build-fuzz/artifacts/<target>/.
# Usage: scripts/fuzz.sh [seconds-per-target [build-dir]]   (default: 60, build-fuzz)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${2:-$top/build-fuzz}
"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCORVO_FUZZ=ON -DCORVO_CORE_ONLY=ON -DCORVO_BENCH=OFF
# Every fuzz/fuzz_NAME.cpp is a target, so a new one is never left out.
names=()
for source in "$top"/fuzz/fuzz_*.cpp; do
    name=$(basename "$source" .cpp)
    names+=("${name#fuzz_}")
done
cmake --build "$build" -j2 --target "${names[@]/#/fuzz_}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
status=0
for name in "${names[@]}"; do
    corpus=$build/corpus/$name
    artifacts=$build/artifacts/fuzz_$name
    mkdir -p "$corpus" "$artifacts"
    [ -d "$top/fuzz/corpus/$name" ] && cp -n "$top/fuzz/corpus/$name/"* "$corpus/"
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048
             -artifact_prefix="$artifacts/" -print_final_stats=1)
    [ -f "$top/fuzz/$name.dict" ] && options+=(-dict="$top/fuzz/$name.dict")
    echo "== fuzz_$name: $seconds s"
    "$build/bin/fuzz_$name" "${options[@]}" "$corpus" || status=1
done
exit $status
