#!/bin/sh
# lumetra-report end to end over a small sample cube: mdx and render (csv, html, --out) of a
# saved view, and the failures (missing file, bad definition, unreachable source) that exit 1
# with a message on stderr only.
# Usage: lumetra-report-cli.sh LUMETRA_REPORT LUMETRA_CUBE DATA_DIR
set -u
REPORT=$1
CUBE=$2
DATA=$3
DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

"$CUBE" sample --rows 3000 --out "$DIR" --seed 7 >/dev/null || fail "lumetra-cube sample"
sed "s|@CUBE@|$DIR/Sales.cub|" "$DATA/sales-view.xml" >"$DIR/view.xml"

# --help and --version on stdout, exit 0.
"$REPORT" --help >"$DIR/help" 2>"$DIR/err" || fail "--help exit status"
grep -q '^usage: lumetra-report mdx FILE' "$DIR/help" || fail "--help text"
[ -s "$DIR/err" ] && fail "--help wrote to stderr"
"$REPORT" --version | grep -q '^lumetra-report ' || fail "--version"

# mdx prints the statement of the view.
"$REPORT" mdx "$DIR/view.xml" >"$DIR/mdx" || fail "mdx exit status"
grep -q '^FROM \[Sales\]$' "$DIR/mdx" || fail "mdx: no FROM line"
grep -q '^WHERE {\[Store\].\[Canada\]}$' "$DIR/mdx" || fail "mdx: no slicer for the filter field"

# render: the grid as csv, header rows first, merged captions repeated, CR LF line ends.
"$REPORT" render "$DIR/view.xml" >"$DIR/out.csv" 2>"$DIR/err" || fail "render: $(cat "$DIR/err")"
tr -d '\r' <"$DIR/out.csv" >"$DIR/grid"
expected=$(printf '%s\n' \
    ',Year,2022,2023,2024,Grand Total' \
    'Category,Subcategory,Units,Units,Units,Units' \
    'Food,Food,227,255,228,710' \
    'Drink,Total,123,122,141,386' \
    'Drink,Soft Drinks,41,50,68,159' \
    'Drink,Juice,16,35,34,85' \
    'Drink,Beer and Wine,44,19,16,79' \
    'Drink,Hot Beverages,22,18,23,63' \
    'Non-Consumable,Non-Consumable,84,88,102,274' \
    'Grand Total,Grand Total,434,465,471,"1,370"')
[ "$(cat "$DIR/grid")" = "$expected" ] || fail "render csv:
$(cat "$DIR/grid")"
[ "$(head -c 40 "$DIR/out.csv" | od -c | grep -c '\\r')" -ge 1 ] || fail "csv lines end with CR LF"

# --out writes the same bytes; html keeps the merged headers.
"$REPORT" render "$DIR/view.xml" --out "$DIR/copy.csv" >"$DIR/stdout" || fail "render --out"
[ -s "$DIR/stdout" ] && fail "render --out also wrote to stdout"
cmp -s "$DIR/out.csv" "$DIR/copy.csv" || fail "--out differs from stdout"
"$REPORT" render "$DIR/view.xml" --format html >"$DIR/out.html" || fail "render html"
grep -q '<caption>Unit sales by product and year</caption>' "$DIR/out.html" || fail "html caption"
grep -q '<th rowspan="5" class="total"><b>Drink</b></th>' "$DIR/out.html" && fail "spanning header styled as a total"
grep -q '<th rowspan="5">Drink</th>' "$DIR/out.html" || fail "html merged Drink header"

# xlsx goes to --out only; the workbook is a zip file.
"$REPORT" render "$DIR/view.xml" --format xlsx --out "$DIR/view.xlsx" >"$DIR/stdout" || fail "render xlsx"
[ "$(head -c 2 "$DIR/view.xlsx")" = "PK" ] || fail "xlsx is not a zip file"
[ -s "$DIR/stdout" ] && fail "render xlsx wrote to stdout"

# A relational report carries SQL lines after the definition; they are not part of it.
{ cat "$DIR/view.xml"; printf '\r\nSELECT 1\r\nProvider=SQLOLEDB'; } >"$DIR/relational.xml"
"$REPORT" mdx "$DIR/relational.xml" >/dev/null || fail "definition followed by SQL lines"

# Failures: exit 1, a message on stderr, nothing on stdout, an --out file left alone.
expect_failure() {
    what=$1
    pattern=$2
    shift 2
    "$REPORT" "$@" >"$DIR/stdout" 2>"$DIR/err" && fail "$what: exit status 0"
    [ $? -eq 1 ] || fail "$what: exit status not 1"
    [ -s "$DIR/stdout" ] && fail "$what: wrote to stdout"
    grep -q "$pattern" "$DIR/err" || fail "$what: message '$(cat "$DIR/err")'"
}
expect_failure "missing file" "cannot read '$DIR/none.xml'" render "$DIR/none.xml"
printf '<xml xmlns:x="urn:schemas-microsoft-com:office:excel"><x:ChartSpace/></xml>' >"$DIR/chart.xml"
expect_failure "chart definition" "holds a chart, not a pivot table" mdx "$DIR/chart.xml"
printf '<xml><x:PivotTable>' >"$DIR/broken.xml"
expect_failure "broken definition" "broken.xml': pivot definition, line 1" mdx "$DIR/broken.xml"
sed "s|$DIR/Sales.cub|$DIR/gone/Sales.cub|" "$DIR/view.xml" >"$DIR/gone.xml"
echo keep >"$DIR/keep.csv"
expect_failure "unreachable source" "cannot open the source of" render "$DIR/gone.xml" --out "$DIR/keep.csv"
[ "$(cat "$DIR/keep.csv")" = keep ] || fail "a failed render changed the --out file"
expect_failure "unknown format" "unknown --format 'pdf'" render "$DIR/view.xml" --format pdf
expect_failure "no command" "no command given"
expect_failure "xlsx to stdout" "xlsx needs --out" render "$DIR/view.xml" --format xlsx
echo "lumetra-report: all checks passed"
