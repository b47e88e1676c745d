#!/bin/sh
# lumetra-mdx end to end over a small sample cube: output formats, --file, --discover,
# --repeat/--time, DRILLTHROUGH as CSV, and errors (exit 1, message on stderr only).
# Usage: lumetra-mdx-cli.sh LUMETRA_MDX LUMETRA_CUBE
set -u
MDX=$1
CUBE=$2
DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
TAB=$(printf '\t')

"$CUBE" sample --rows 3000 --out "$DIR" --seed 7 >/dev/null || fail "lumetra-cube sample"
CONN="Provider=MSOLAP.2; Data Source = $DIR/Sales.cub ; Initial Catalog=Sales"

# No axis: one line with both caption parts empty. (Time has no All member: the slicer
# set takes every year.)
total=$("$MDX" --connection "$CONN" --query "SELECT FROM [Sales] WHERE [Time].[Year].Members" --format cells) || fail "no-axis query"
case "$total" in "$TAB$TAB"[0-9]*) ;; *) fail "no-axis cells line: '$total'" ;; esac
total=${total#"$TAB$TAB"}

# One axis: the row part is empty; the years add up to the total.
"$MDX" --connection "$CONN" --format cells --query "SELECT [Time].[Year].Members ON 0 FROM [Sales]" >"$DIR/years" ||
    fail "years query"
sum=$(awk -F "$TAB" '$1 != "" { bad = 1 } { s += $3 } END { if (bad) print "bad"; else print s }' "$DIR/years")
[ "$sum" = "$total" ] || fail "years add up to $sum, total is $total"

# --file: statements end with ';' at the end of a line; grid and csv formats.
cat >"$DIR/q.mdx" <<'MDX'
-- two statements
SELECT {[Measures].[Unit Sales], [Measures].[Store Sales]} ON COLUMNS,
       [Product].[Category].Members ON ROWS
FROM [Sales];
SELECT [Measures].[Unit Sales] ON 0 FROM [Sales] WHERE [Customer].[F];
MDX
"$MDX" --connection "$CONN" --file "$DIR/q.mdx" --format csv >"$DIR/out.csv" || fail "--file"
head -1 "$DIR/out.csv" | grep -q '^,Unit Sales,Store Sales$' || fail "csv header: $(head -1 "$DIR/out.csv")"
[ "$(grep -c "" "$DIR/out.csv")" -eq 7 ] || fail "csv lines: $(cat "$DIR/out.csv")"
"$MDX" --connection "$CONN" --file "$DIR/q.mdx" | grep -q '^Drink' || fail "grid rows"

# Discovery.
"$MDX" --connection "$CONN" --discover cubes | grep -q "${TAB}Sales$TAB" || fail "discover cubes"
[ "$("$MDX" --connection "$CONN" --discover measures --cube Sales | grep -c '')" -eq 6 ] || fail "discover measures"

# DRILLTHROUGH prints CSV with a header line.
"$MDX" --connection "$CONN" --query "DRILLTHROUGH MAXROWS 5 SELECT FROM [Sales] WHERE ([Time].[2023])" >"$DIR/dt" ||
    fail "drillthrough"
head -1 "$DIR/dt" | grep -q '^Year,Quarter,Month,' || fail "drillthrough header: $(head -1 "$DIR/dt")"
[ "$(grep -c '' "$DIR/dt")" -eq 6 ] || fail "drillthrough rows"

# --repeat and --time report each run on stderr.
"$MDX" --connection "$CONN" --query "SELECT FROM [Sales]" --repeat 3 --time >/dev/null 2>"$DIR/time" || fail "--repeat"
grep -q '^open: ' "$DIR/time" && grep -q '^query 1 run 3: ' "$DIR/time" || fail "--time: $(cat "$DIR/time")"

# Errors: exit 1, message on stderr, nothing on stdout.
if "$MDX" --connection "$CONN" --query "SELECT [Time].[1999] ON 0 FROM [Sales]" >"$DIR/o" 2>"$DIR/e"; then
    fail "unknown member succeeded"
fi
grep -q '^Name error at line 1, column 8: ' "$DIR/e" || fail "error message: $(cat "$DIR/e")"
[ ! -s "$DIR/o" ] || fail "output on error"
"$MDX" --connection "Provider=MSOLAP; Data Source=$DIR/missing.cub" --query "SELECT FROM [Sales]" 2>/dev/null &&
    fail "missing file succeeded"
"$MDX" --connection "$CONN" --query "SELECT FROM [Sales]" --format table 2>/dev/null && fail "bad --format accepted"
"$MDX" --query "SELECT FROM [Sales]" 2>/dev/null && fail "missing --connection accepted"
# Relational sources: SQL as CSV, catalogs and tables; a cube answers no SQL.
SQLITE="Provider=SQLite; Data Source=$DIR/sales.sqlite"
"$MDX" --connection "$SQLITE" --discover tables >"$DIR/tables" || fail "discover tables"
head -1 "$DIR/tables" | grep -q '^TABLE_NAME,TABLE_TYPE$' || fail "tables header: $(head -1 "$DIR/tables")"
grep -q ',Table$' "$DIR/tables" || fail "tables rows: $(cat "$DIR/tables")"
"$MDX" --connection "$SQLITE" --discover catalogs | head -1 | grep -q '^CATALOG_NAME$' || fail "discover catalogs"
TABLE=$(sed -n 2p "$DIR/tables" | cut -d, -f1)
"$MDX" --connection "$SQLITE" --sql "SELECT count(*) AS n FROM $TABLE" >"$DIR/sql" || fail "--sql"
head -1 "$DIR/sql" | grep -q '^n$' || fail "sql header: $(cat "$DIR/sql")"
[ "$(grep -c '' "$DIR/sql")" -eq 2 ] || fail "sql rows: $(cat "$DIR/sql")"
"$MDX" --connection "$SQLITE" --sql "SELECT * FROM no_such_table" >/dev/null 2>"$DIR/e" && fail "bad SQL succeeded"
[ -s "$DIR/e" ] || fail "bad SQL without a message"
# More than one statement runs none of them: the data stays as it was.
"$MDX" --connection "$SQLITE" --sql "SELECT count(*) FROM $TABLE; DELETE FROM $TABLE; DROP TABLE $TABLE" \
    >"$DIR/o" 2>"$DIR/e" && fail "several statements succeeded"
grep -q 'holds 3 statements' "$DIR/e" || fail "several statements: $(cat "$DIR/e")"
[ ! -s "$DIR/o" ] || fail "several statements printed rows"
"$MDX" --connection "$SQLITE" --sql "DELETE FROM $TABLE" >/dev/null 2>"$DIR/e" && fail "DELETE succeeded"
grep -q 'would change the database' "$DIR/e" || fail "DELETE: $(cat "$DIR/e")"
"$MDX" --connection "$SQLITE" --sql "SELECT count(*) AS n FROM $TABLE;" | cmp -s - "$DIR/sql" || fail "data changed"
"$MDX" --connection "$CONN" --sql "SELECT 1" >/dev/null 2>"$DIR/e" && fail "SQL on a cube succeeded"
grep -q 'relational' "$DIR/e" || fail "SQL on a cube: $(cat "$DIR/e")"
"$MDX" --connection "$SQLITE" --query "SELECT FROM [Sales]" >/dev/null 2>"$DIR/e" && fail "MDX on SQLite succeeded"
grep -q 'relational' "$DIR/e" || fail "MDX on SQLite: $(cat "$DIR/e")"
"$MDX" --connection "Provider=MSOLAP.2; Data Source=http://olap.example/xmla" --query "SELECT FROM [Sales]" \
    >/dev/null 2>"$DIR/e" && fail "remote server succeeded"
grep -q 'XMLA' "$DIR/e" || fail "remote server: $(cat "$DIR/e")"
# --help and --version answer on stdout with exit 0.
"$MDX" --help >"$DIR/o" 2>"$DIR/e" || fail "--help: exit status"
grep -q '^usage: lumetra-mdx' "$DIR/o" || fail "--help: $(cat "$DIR/o")"
[ ! -s "$DIR/e" ] || fail "--help wrote to stderr"
"$MDX" --version >"$DIR/o" || fail "--version: exit status"
grep -Eq '^lumetra-mdx [0-9]+\.[0-9]+' "$DIR/o" || fail "--version: $(cat "$DIR/o")"

# --file on a folder or on a file without a statement: exit 1 and say so.
"$MDX" --connection "$CONN" --file "$DIR" >"$DIR/o" 2>"$DIR/e" && fail "--file on a folder succeeded"
grep -q 'is a folder' "$DIR/e" || fail "--file on a folder: $(cat "$DIR/e")"
: >"$DIR/empty.mdx"
"$MDX" --connection "$CONN" --file "$DIR/empty.mdx" >"$DIR/o" 2>"$DIR/e" && fail "--file on an empty file succeeded"
grep -q 'holds no MDX statement' "$DIR/e" || fail "--file on an empty file: $(cat "$DIR/e")"

# A Data Source that is no file says what it is and never waits (a FIFO would block open()).
mkfifo "$DIR/pipe.cub"
for case in "$DIR/pipe.cub:named pipe" "/dev/null:is a device" "$DIR:is a folder"; do
    source=${case%%:*}
    words=${case#*:}
    timeout 30 "$MDX" --connection "Provider=MSOLAP; Data Source=$source" --query "SELECT FROM [Sales]" \
        >/dev/null 2>"$DIR/e"
    status=$?
    [ $status -eq 1 ] || fail "Data Source $source: exit status $status"
    grep -q "$words" "$DIR/e" || fail "Data Source $source: $(cat "$DIR/e")"
done
timeout 30 "$MDX" --connection "Provider=SQLite; Data Source=$DIR/pipe.cub" --sql "SELECT 1" >/dev/null 2>"$DIR/e"
[ $? -eq 1 ] || fail "SQLite FIFO: exit status"
grep -q 'named pipe' "$DIR/e" || fail "SQLite FIFO: $(cat "$DIR/e")"

# A damaged cube names the file as damaged and shows no SQL and no SQLite wording.
head -c 70000 "$DIR/Sales.cub" >"$DIR/cut.cub"
"$MDX" --connection "Provider=MSOLAP; Data Source=$DIR/cut.cub" --query "SELECT FROM [Sales]" >/dev/null 2>"$DIR/e" &&
    fail "cut cube succeeded"
grep -q "cut.cub' is damaged" "$DIR/e" || fail "cut cube: $(cat "$DIR/e")"
grep -q 'build the cube again' "$DIR/e" || fail "cut cube, no advice: $(cat "$DIR/e")"
grep -Eqi 'malformed|select |sqlite' "$DIR/e" && fail "cut cube, raw text: $(cat "$DIR/e")"

# A huge name is cut in the message.
long=$(head -c 100000 /dev/zero | tr '\0' 'n')
"$MDX" --connection "Provider=MSOLAP; Data Source=$DIR/$long.cub" --query "SELECT FROM [Sales]" >/dev/null 2>"$DIR/e" &&
    fail "huge name succeeded"
[ "$(wc -c <"$DIR/e")" -lt 1000 ] || fail "huge name echoed whole ($(wc -c <"$DIR/e") bytes)"
echo "lumetra-mdx CLI: ok"
