#!/usr/bin/env bash
# Drives lumetra-cube: the sample is deterministic by seed, build accepts the
# sample (from the file or through a connection) and reports bad input with exit
# status 1 and a message.
set -euo pipefail
tool="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

"$tool" sample --rows 3000 --out "$work/a" --seed 5 > /dev/null
"$tool" sample --rows 3000 --out "$work/b" --seed 5 > /dev/null
"$tool" sample --rows 3000 --out "$work/c" --seed 6 > /dev/null
for f in sales.sqlite sales.xml Sales.cub; do
  [ -s "$work/a/$f" ] || fail "sample did not write $f"
done
cmp -s "$work/a/sales.sqlite" "$work/b/sales.sqlite" || fail "same seed, different data"
cmp -s "$work/a/sales.sqlite" "$work/c/sales.sqlite" && fail "different seeds, same data"
ls "$work/a" | grep -q tmp && fail "temporary file left behind"

"$tool" build --schema "$work/a/sales.xml" --source "$work/a/sales.sqlite" --out "$work/x.cub" --cube sales > /dev/null
[ -s "$work/x.cub" ] || fail "build wrote nothing"

# Through a connection the same tables give the same cube, byte for byte.
export LUMETRA_REGISTRY_ROOT="$work/registry"
"$tool" build --schema "$work/a/sales.xml" --connection "Data Source=$work/a/sales.sqlite" --out "$work/z.cub" \
  --cube sales > /dev/null
cmp -s "$work/x.cub" "$work/z.cub" || fail "--connection built another cube than --source"

set +e
sed 's/<Table name="store"\/>/<Table name="shops"\/>/' "$work/a/sales.xml" > "$work/shops.xml"
"$tool" build --schema "$work/shops.xml" --connection "Provider=SQLite; Data Source=$work/a/sales.sqlite" \
  --out "$work/y.cub" 2> "$work/err"
[ $? -eq 1 ] || fail "missing table through a connection: exit status"
grep -q "cannot read table 'shops' (table of dimension 'Store')" "$work/err" || fail "missing table: message"
grep -q "no such table" "$work/err" || fail "missing table: the source's message"
"$tool" build --schema "$work/a/sales.xml" --connection "Provider=MSOLAP; Data Source=$work/x.cub" \
  --out "$work/y.cub" 2> "$work/err"
[ $? -eq 1 ] || fail "OLAP connection: exit status"
grep -q "no relational source" "$work/err" || fail "OLAP connection: message"
"$tool" build --schema "$work/a/sales.xml" --connection "Data Source=$work/a/sales.sqlite" \
  --source "$work/a/sales.sqlite" --out "$work/y.cub" 2> /dev/null
[ $? -eq 2 ] || fail "--source with --connection: exit status"
"$tool" build --schema "$work/a/sales.xml" --out "$work/y.cub" 2> /dev/null
[ $? -eq 2 ] || fail "neither --source nor --connection: exit status"
"$tool" build --schema "$work/a/sales.xml" --source "$work/a/sales.sqlite" --out "$work/y.cub" --cube Nope 2> "$work/err"
[ $? -eq 1 ] || fail "unknown cube: exit status"
grep -q "no cube 'Nope'" "$work/err" || fail "unknown cube: message"
echo "<Schema" > "$work/bad.xml"
"$tool" build --schema "$work/bad.xml" --source "$work/a/sales.sqlite" --out "$work/y.cub" 2> "$work/err"
[ $? -eq 1 ] || fail "bad schema: exit status"
grep -q "XML error" "$work/err" || fail "bad schema: message"
"$tool" build --schema "$work/a/sales.xml" --source "$work/missing.sqlite" --out "$work/y.cub" 2> "$work/err"
[ $? -eq 1 ] || fail "missing source: exit status"
[ -e "$work/y.cub" ] && fail "a failed build left a file"
"$tool" sample --rows many --out "$work/d" 2> /dev/null
[ $? -eq 2 ] || fail "bad usage: exit status"
exit 0
