#!/bin/sh
# lumetra-report draws the chart of every sample report pair (pivot file and its sibling
# chart file) over a fresh sample cube, as PNG of the asked size and as SVG; a pivot file
# without a chart file, and a damaged chart file, fail with a message and leave no picture.
# Usage: chart-report.sh LUMETRA_REPORT LUMETRA_CUBE REPORTS_DIR
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

# The PNG's width and height from its header (bytes 17-24, big-endian).
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", (($1*256+$2)*256+$3)*256+$4, (($5*256+$6)*256+$7)*256+$8 }'
}

"$CUBE" sample --rows 2000 --out "$DIR" --seed 5 >/dev/null || fail "lumetra-cube sample"
count=0
for chart in "$REPORTS"/*Chart.xml; do
    base=$(basename "$chart" Chart.xml)
    [ -f "$REPORTS/$base.xml" ] || fail "$base: a chart file without its pivot file"
    sed "s|@DATA@|$DIR/|g" "$REPORTS/$base.xml" >"$DIR/$base.xml"
    cp "$chart" "$DIR/${base}Chart.xml"
    "$REPORT" render "$DIR/$base.xml" --view chart --size 640x360 --out "$DIR/$base.png" 2>"$DIR/err" ||
        fail "$base png: $(cat "$DIR/err")"
    head -c 8 "$DIR/$base.png" | od -An -c | grep -q 'P   N   G' || fail "$base: not a PNG"
    [ "$(png_size "$DIR/$base.png")" = "640x360" ] || fail "$base: PNG is $(png_size "$DIR/$base.png")"
    # Not blank: a drawn chart compresses to far more than an empty canvas.
    [ "$(wc -c <"$DIR/$base.png")" -gt 4000 ] || fail "$base: the PNG looks blank"
    "$REPORT" render "$DIR/$base.xml" --view chart --format svg --out "$DIR/$base.svg" 2>"$DIR/err" ||
        fail "$base svg: $(cat "$DIR/err")"
    grep -q '<svg' "$DIR/$base.svg" || fail "$base: not an SVG"
    count=$((count + 1))
done
[ "$count" -ge 3 ] || fail "only $count sample chart pairs found in $REPORTS"

# A pivot file without a chart file beside it.
for table in "$REPORTS"/*.xml; do
    case "$table" in *Chart.xml) continue ;; esac
    base=$(basename "$table" .xml)
    [ -f "$REPORTS/${base}Chart.xml" ] && continue
    sed "s|@DATA@|$DIR/|g" "$table" >"$DIR/$base.xml"
    if "$REPORT" render "$DIR/$base.xml" --view chart --out "$DIR/none.png" 2>"$DIR/err"; then
        fail "$base: a chart drawn without a chart file"
    fi
    grep -q 'chart file' "$DIR/err" || fail "$base: unclear message: $(cat "$DIR/err")"
    [ ! -e "$DIR/none.png" ] || fail "$base: a picture was left behind"
    break
done

# A damaged chart file keeps the earlier picture.
first=$(ls "$DIR"/*Chart.xml | head -n 1)
base=$(basename "$first" Chart.xml)
printf '<xml xmlns:x="urn:schemas-microsoft-com:office:excel"><x:ChartSpace><x:Width>wide' >"$first"
before=$(cksum <"$DIR/$base.png")
if "$REPORT" render "$DIR/$base.xml" --view chart --out "$DIR/$base.png" 2>"$DIR/err"; then
    fail "a damaged chart file was drawn"
fi
grep -q 'line 1' "$DIR/err" || fail "the damage is not placed: $(cat "$DIR/err")"
[ "$(cksum <"$DIR/$base.png")" = "$before" ] || fail "a failed render changed the picture"

# Usage errors.
"$REPORT" render "$DIR/$base.xml" --view chart 2>/dev/null && fail "a chart to standard output"
"$REPORT" render "$DIR/$base.xml" --view chart --format xlsx --out x 2>/dev/null && fail "a chart as xlsx"
"$REPORT" render "$DIR/$base.xml" --view chart --size 0x10 --out x 2>/dev/null && fail "a picture of no width"
echo "$count sample charts render"
