#!/bin/sh
# Every sample report's pivot file opens against a freshly made sample cube and
# renders a grid with a grand total; every chart file next to it is a chart
# definition. Keeps the bundled reports working as the definition format grows.
# Usage: sample-reports.sh LUMETRA_REPORT LUMETRA_CUBE REPORTS_DIR
set -u
REPORT=$1
CUBE=$2
REPORTS=$3
DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

"$CUBE" sample --rows 3000 --out "$DIR" --seed 7 >/dev/null || fail "lumetra-cube sample"
count=0
for file in "$REPORTS"/*.xml; do
    name=$(basename "$file")
    if grep -qi 'x:ChartSpace' "$file"; then
        case "$name" in
        *Chart.xml) ;;
        *) fail "$name: a chart definition without the Chart suffix" ;;
        esac
        continue
    fi
    grep -q 'x:PivotTable' "$file" || fail "$name: neither a pivot nor a chart definition"
    # A relational report ends with its SQL lines; its rows come from the SQLite file the
    # sample writes beside the cube.
    sed "s|@DATA@|$DIR/|g" "$file" >"$DIR/$name"
    "$REPORT" render "$DIR/$name" >"$DIR/out.csv" 2>"$DIR/err" || fail "$name: $(cat "$DIR/err")"
    grep -q '^Grand Total,' "$DIR/out.csv" || fail "$name: no grand total row:
$(cat "$DIR/out.csv")"
    count=$((count + 1))
done
[ "$count" -ge 7 ] || fail "only $count sample pivot reports found in $REPORTS"
echo "$count sample reports render"
