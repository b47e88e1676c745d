#!/usr/bin/env bash
# Writes the fuzzer's seed corpus to DIR: every input of the MDX case files and every
# statement of the MDX scripts in tests/mdx, one file each.
set -euo pipefail
out=${1:?usage: make-seed-corpus.sh DIR}
root="$(cd "$(dirname "$0")/../.." && pwd)"
mkdir -p "$out"
for file in "$root"/tests/mdx/cases/*.cases; do
    base=$(basename "$file" .cases)
    awk -v out="$out" -v base="$base" '
        /^#/ { next }
        /^=== / { if (name != "") close(name); n++; name = out "/" base "-" n ".mdx"; inInput = 1; printf "" > name; next }
        /^---/ { inInput = 0; next }
        inInput { print > name }
    ' "$file"
done
for file in "$root"/tests/mdx/scripts/*.mdx; do
    base=$(basename "$file" .mdx)
    cp "$file" "$out/$base-whole.mdx"
    awk -v out="$out" -v base="$base" '
        BEGIN { n = 1; name = out "/" base "-" n ".mdx" }
        { print > name }
        /;[[:space:]]*$/ { close(name); n++; name = out "/" base "-" n ".mdx" }
    ' "$file"
done
ls "$out" | wc -l
