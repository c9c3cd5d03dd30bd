#!/usr/bin/env bash
# Runs every benchmark program of a build once on a small data set with a minimal time (not a
# timing): fails when one crashes, hangs, reports an error or measures nothing.
# Usage: scripts/bench-smoke.sh [build-dir]   (default: build)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
export CORVO_BENCH_SMOKE=1 QT_QPA_PLATFORM=offscreen
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
shopt -s nullglob
programs=("$build"/bin/corvo_*_bench)
[ ${#programs[@]} -gt 0 ] || { echo "bench-smoke: no benchmark programs in $build/bin" >&2; exit 1; }
failed=0
for p in "${programs[@]}"; do
    name=$(basename "$p")
    started=$SECONDS
    if ! timeout 300 "$p" --benchmark_min_time=0.01 --benchmark_out="$out/$name.json" \
        --benchmark_out_format=json > "$out/$name.log" 2>&1; then
        echo "bench-smoke: $name failed or hung (exit $?):" >&2
        tail -20 "$out/$name.log" >&2
        failed=1
        continue
    fi
    if ! python3 - "$out/$name.json" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1])).get("benchmarks", [])
errors = [r["name"] + ": " + r.get("error_message", "") for r in runs if r.get("error_occurred")]
if not runs or errors:
    print("  no benchmark ran" if not runs else "\n".join("  " + e for e in errors), file=sys.stderr)
    sys.exit(1)
PY
    then
        echo "bench-smoke: $name reported errors" >&2
        failed=1
        continue
    fi
    echo "bench-smoke: $name ok ($((SECONDS - started)) s)"
done
exit $failed
