#!/usr/bin/env bash
# Runs clang-tidy with the repo's .clang-tidy over the project's own sources
# (every translation unit of the compile database outside tests, fuzz targets
# and benchmarks) and fails on any diagnostic.
#
# Usage: check-tidy.sh BUILD_DIR   (a configured and built tree: generated
# headers must exist)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?build folder with compile_commands.json}" && pwd)
jobs=${LUMETRA_TIDY_JOBS:-$(nproc)}

[[ -f "$build/compile_commands.json" ]] || { echo "no compile_commands.json in $build"; exit 1; }

mapfile -t files < <(python3 - "$build/compile_commands.json" "$root" <<'PY'
import json, os, sys
db, root = sys.argv[1], sys.argv[2]
areas = ("olap", "platform", "framework", "uikit", "control", "app", "catalogue", "views", "localcube", "tools")
seen = set()
for entry in json.load(open(db)):
    path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
    rel = os.path.relpath(path, root)
    if rel.split(os.sep)[0] in areas and path not in seen:
        seen.add(path)
        print(path)
PY
)
((${#files[@]})) || { echo "no sources found in the compile database"; exit 1; }

out=$(mktemp)
trap 'rm -f "$out"' EXIT
printf '%s\n' "${files[@]}" \
  | xargs -P "$jobs" -n 4 clang-tidy -p "$build" --quiet >"$out" 2>/dev/null || true

if grep -qE '(warning|error): ' "$out"; then
  grep -E '(warning|error): ' "$out" | sort -u
  echo "clang-tidy: $(grep -cE '(warning|error): ' "$out") diagnostics in ${#files[@]} files"
  exit 1
fi
echo "clang-tidy: ${#files[@]} files clean"
