#!/bin/sh
# The pivot shapes on this engine and on DuckDB over the same star schema, in one run:
#   bench/engine/compare-duckdb.sh [BUILD_DIR] [ROWS]      (defaults: build-rel, 1000000)
# Needs a Release build with the pivot_shapes_bench target, node and npm. DuckDB's runner is copied
# from DUCKDB_PEER_SRC (default ../shared/duckdb-peer next to the repository) into
# LUMETRA_DUCKDB_DIR (default /tmp/lumetra-duckdb-peer) and installed there once.
# Prints one line per shape: medians (ms) and the ratio DuckDB / this engine (higher is better).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
build=${1:-$repo/build-rel}
rows=${2:-1000000}
peer_src=${DUCKDB_PEER_SRC:-$repo/../shared/duckdb-peer}
[ -d "$peer_src" ] || peer_src=/work/shared/duckdb-peer
peer=${LUMETRA_DUCKDB_DIR:-/tmp/lumetra-duckdb-peer}
bench_dir=${LUMETRA_BENCH_DIR:-/tmp/lumetra-bench}
out=$(mktemp -d)

if [ ! -d "$peer/node_modules" ]; then
    mkdir -p "$peer"
    cp -r "$peer_src"/. "$peer"/
    chmod -R u+w "$peer"
    (cd "$peer" && npm install --no-audit --no-fund >/dev/null)
fi

LUMETRA_BENCH_DIR=$bench_dir LUMETRA_PIVOT_ROWS=$rows "$build/bin/pivot_shapes_bench" \
    --benchmark_out="$out/lumetra.json" --benchmark_out_format=json \
    --benchmark_report_aggregates_only=true >/dev/null
node "$peer/duckdb-bench.mjs" --sqlite "$bench_dir/pivot-$rows/sales.sqlite" --queries "$here/pivot_shapes.sql" \
    --threads 2 --repeat 7 --warmup 1 --json "$out/duckdb.json" >/dev/null

python3 - "$out/lumetra.json" "$out/duckdb.json" "$rows" <<'PY'
import json, sys
ours = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") == "median":
        ours[b["run_name"].split("/")[0][3:]] = b["real_time"]
duck = {r["name"]: r for r in json.load(open(sys.argv[2]))["results"]}
print(f"{int(sys.argv[3]):,} fact rows, cold, median of 7")
print(f"{'shape':<20} {'Lumetra ms':>10} {'DuckDB ms':>10} {'ratio':>6}")
for name, ms in ours.items():
    d = duck.get(name, {}).get("median_ms")
    ratio = f"{d / ms:5.1f}x" if d and ms else "  n/a"
    print(f"{name:<20} {ms:10.1f} {d if d is not None else float('nan'):10.1f} {ratio}")
PY
rm -rf "$out"
