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
# A formula that does not parse fails the build and keeps the cube built before, byte for byte.
cp "$work/x.cub" "$work/before.cub"
sed 's|</Cube>|<CalculatedMember name="Broken" dimension="Measures" formula="[Measures].[Unit Sales] * (2"/></Cube>|' \
  "$work/a/sales.xml" > "$work/broken.xml"
grep -q 'name="Broken"' "$work/broken.xml" || fail "broken schema: no calculated member added"
"$tool" build --schema "$work/broken.xml" --source "$work/a/sales.sqlite" --out "$work/x.cub" --cube sales \
  > /dev/null 2> "$work/err"
[ $? -eq 1 ] || fail "formula that does not parse: exit status"
grep -q "<CalculatedMember> 'Broken'" "$work/err" || fail "formula: element not named: $(cat "$work/err")"
grep -q "Syntax error at line 1, column" "$work/err" || fail "formula: parse error not given: $(cat "$work/err")"
cmp -s "$work/x.cub" "$work/before.cub" || fail "a failed build changed the old cube"
"$tool" build --schema "$work/a/sales.xml" --source "$work/missing.sqlite" --out "$work/y.cub" 2> "$work/err"
[ $? -eq 1 ] || fail "missing source: exit status"
[ -e "$work/y.cub" ] && fail "a failed build left a file"
# What is no file is named for what it is, and a FIFO never blocks.
mkfifo "$work/pipe"
timeout 30 "$tool" build --schema "$work/pipe" --source "$work/a/sales.sqlite" --out "$work/y.cub" 2> "$work/err"
[ $? -eq 1 ] || fail "schema FIFO: exit status"
grep -q "named pipe" "$work/err" || fail "schema FIFO: message: $(cat "$work/err")"
timeout 30 "$tool" build --schema "$work/a/sales.xml" --source "$work" --out "$work/y.cub" 2> "$work/err"
[ $? -eq 1 ] || fail "source folder: exit status"
grep -q "is a folder" "$work/err" || fail "source folder: message: $(cat "$work/err")"
timeout 30 "$tool" build --schema "$work/a/sales.xml" --source "$work/pipe" --out "$work/y.cub" 2> "$work/err"
[ $? -eq 1 ] || fail "source FIFO: exit status"
grep -q "named pipe" "$work/err" || fail "source FIFO: message: $(cat "$work/err")"

# --help and --version answer on stdout with exit 0.
"$tool" --help > "$work/out" 2> "$work/err" || fail "--help: exit status"
grep -q "^usage: lumetra-cube" "$work/out" || fail "--help: $(cat "$work/out")"
[ -s "$work/err" ] && fail "--help wrote to stderr"
"$tool" --version > "$work/out" || fail "--version: exit status"
grep -Eq "^lumetra-cube [0-9]+\.[0-9]+" "$work/out" || fail "--version: $(cat "$work/out")"

"$tool" sample --rows many --out "$work/d" 2> /dev/null
[ $? -eq 2 ] || fail "bad usage: exit status"
exit 0
