#!/bin/bash
# Every query of the peer's queries/ through our XMLA provider (lumetra-mdx against the peer's
# XMLA server) must give the same cells as the peer computes in-process (run-mdx.sh --cells).
#   peer_xmla_test.sh LUMETRA_MDX SOURCE_DIR
# The peer folder sits beside the clone (SOURCE_DIR/../shared/peer); without it, or without
# root to set it up, the test is skipped (exit 77). The server and PostgreSQL are stopped again
# unless they were running before. LUMETRA_PEER_DIR names another peer folder; PEER_XMLA_PORT / PEER_PG_PORT / PEER_WORK move the peer (see its README).
set -uo pipefail
MDX="$1"
SRC="$(cd "$2" && pwd)"
PEER="${LUMETRA_PEER_DIR:-$(cd "$SRC/.." && pwd)/shared/peer}"
if [ ! -x "$PEER/xmla-server.sh" ]; then
  echo "SKIP: no peer server at $PEER (the shared folder belongs beside the clone)"
  exit 77
fi
if [ "$(id -u)" != 0 ]; then
  echo "SKIP: setting up the peer needs root (apt, PostgreSQL)"
  exit 77
fi
PORT="${PEER_XMLA_PORT:-18095}"
CONNECTION="Provider=MSOLAP; Data Source=http://127.0.0.1:$PORT/xmla; Initial Catalog=PeerSales"
TMP="$(mktemp -d)"
started=""
pgStarted=""
cleanup() {
  [ -n "$started" ] && "$PEER/xmla-server.sh" stop >/dev/null 2>&1
  [ -n "$pgStarted" ] && "$PEER/pg.sh" stop >/dev/null 2>&1
  rm -rf "$TMP"
}
trap cleanup EXIT

"$PEER/pg.sh" status >/dev/null 2>&1 || pgStarted=1
"$PEER/setup.sh" >"$TMP/setup.log" 2>&1 || { echo "FAIL: peer setup"; tail -20 "$TMP/setup.log"; exit 1; }
if ! "$PEER/xmla-server.sh" status >/dev/null 2>&1; then
  "$PEER/xmla-server.sh" start || { echo "FAIL: the peer XMLA server did not start"; exit 1; }
  started=1
fi

failures=0
statements=0
for file in "$PEER"/queries/*.mdx; do
  # The peer echoes each statement ("# " lines) ahead of its cells and ends a block with a
  # blank line; the statements are sent to our provider exactly as the peer ran them.
  "$PEER/run-mdx.sh" --cells --echo -f "$file" >"$TMP/peer.txt" 2>"$TMP/peer.err"
  awk -v dir="$TMP" '
    /^# / { if (!inStatement) { n++; inStatement = 1 } sub(/^# /, ""); print > (dir "/q" n ".mdx"); next }
    /^$/ { inStatement = 0; next }
    { inStatement = 0; print > (dir "/q" n ".expected") }
  ' "$TMP/peer.txt"
  for query in "$TMP"/q*.mdx; do
    [ -e "$query" ] || continue
    statements=$((statements + 1))
    expected="${query%.mdx}.expected"
    [ -e "$expected" ] || : >"$expected"
    "$MDX" --connection "$CONNECTION" --query "$(cat "$query")" --format cells >"$TMP/ours.txt" 2>"$TMP/ours.err"
    status=$?
    if [ ! -s "$expected" ] && [ "$status" != 0 ]; then
      rm -f "$query" "$expected"
      continue # the peer failed it as well
    fi
    limit="$(grep -oiE 'DRILLTHROUGH +MAXROWS +[0-9]+' "$query" | grep -oE '[0-9]+$')"
    if [ -n "$limit" ] && [ "$(($(wc -l <"$expected") - 1))" -ge "$limit" ]; then
      # Below the number of matching rows the server picks which rows: compare the header and
      # the number of rows only.
      same=$([ "$(head -1 "$expected")" = "$(head -1 "$TMP/ours.txt")" ] \
        && [ "$(wc -l <"$expected")" = "$(wc -l <"$TMP/ours.txt")" ] && echo 1)
    else
      same=$(cmp -s "$expected" "$TMP/ours.txt" && echo 1)
    fi
    if [ "$status" != 0 ] || [ -z "$same" ]; then
      failures=$((failures + 1))
      echo "DIFFERENT: $(basename "$file") statement:"
      cat "$query"
      cat "$TMP/ours.err"
      diff "$expected" "$TMP/ours.txt" | head -20
    fi
    rm -f "$query" "$expected"
  done
done

# The lists the connect dialog, the query builder and the schema utility show come from our
# provider's Discover: each must hold exactly the unique names the server's own Discover answer
# holds (members asked per hierarchy, as the server's rowset wants a restriction).
discoverNames() { # ROWSET COLUMN [RESTRICTION...]: the COLUMN values of the server's answer
  local rowset="$1" column="$2"
  shift 2
  "$PEER/xmla-request.sh" discover "$rowset" "$@" 2>/dev/null \
    | grep -o "<$column>[^<]*</$column>" | sed -e 's/<[^>]*>//g' -e 's/&amp;/\&/g' -e 's/&lt;/</g' -e 's/&gt;/>/g'
}
lists=0
for spec in cubes:MDSCHEMA_CUBES:CUBE_NAME dimensions:MDSCHEMA_DIMENSIONS:DIMENSION_UNIQUE_NAME \
  hierarchies:MDSCHEMA_HIERARCHIES:HIERARCHY_UNIQUE_NAME levels:MDSCHEMA_LEVELS:LEVEL_UNIQUE_NAME \
  measures:MDSCHEMA_MEASURES:MEASURE_UNIQUE_NAME members:MDSCHEMA_MEMBERS:MEMBER_UNIQUE_NAME; do
  IFS=: read -r kind rowset column <<<"$spec"
  "$MDX" --connection "$CONNECTION" --discover "$kind" --cube Sales >"$TMP/ours.list" 2>"$TMP/ours.err"
  status=$?
  awk -F'\t' -v c="$column" 'NR == 1 { for (i = 1; i <= NF; i++) if ($i == c) n = i; next } n { print $n }' \
    "$TMP/ours.list" | sort >"$TMP/ours.names"
  if [ "$kind" = members ]; then
    for hierarchy in $(sort -u <(discoverNames MDSCHEMA_HIERARCHIES HIERARCHY_UNIQUE_NAME CUBE_NAME=Sales)); do
      discoverNames MDSCHEMA_MEMBERS "$column" CUBE_NAME=Sales "HIERARCHY_UNIQUE_NAME=$hierarchy"
    done | sort >"$TMP/theirs.names"
  else
    discoverNames "$rowset" "$column" CUBE_NAME=Sales | sort >"$TMP/theirs.names"
  fi
  lists=$((lists + 1))
  if [ "$status" != 0 ] || [ ! -s "$TMP/theirs.names" ] || ! cmp -s "$TMP/ours.names" "$TMP/theirs.names"; then
    failures=$((failures + 1))
    echo "DIFFERENT: the $kind list ($(wc -l <"$TMP/ours.names") names here, $(wc -l <"$TMP/theirs.names") on the server)"
    cat "$TMP/ours.err"
    diff "$TMP/ours.names" "$TMP/theirs.names" | head -10
  fi
done

# A saved pivot view on the remote cube renders as on a local one: its year totals and grand
# total are the server's own answers.
REPORT="$(dirname "$MDX")/lumetra-report"
if [ -x "$REPORT" ]; then
  sed "s|http://127.0.0.1:18095/xmla|http://127.0.0.1:$PORT/xmla|" "$SRC/tests/xmla/data/peer_report.xml" >"$TMP/report.xml"
  QT_QPA_PLATFORM=offscreen "$REPORT" render "$TMP/report.xml" --format csv >"$TMP/report.csv" 2>"$TMP/report.err"
  "$PEER/run-mdx.sh" --cells -e 'SELECT {[Measures].[Unit Sales]} ON 0, {[Time].[Year].Members, [Time].[All Times]} ON 1 FROM [Sales]' \
    2>/dev/null | awk -F'\t' '{ print ($1 == "All Times" ? "Grand Total" : $1) "=" $3 }' >"$TMP/peer.totals"
  # The last field of a year's first line (or of the grand total line) is its grand total.
  python3 - "$TMP/report.csv" >"$TMP/ours.totals" <<'PY'
import csv, sys
seen = set()
for row in csv.reader(open(sys.argv[1])):
    if row and row[0] not in seen and (row[0].isdigit() or row[0] == "Grand Total"):
        seen.add(row[0])
        print(row[0] + "=" + row[-1].replace(",", ""))
PY
  lists=$((lists + 1))
  if ! cmp -s <(sort "$TMP/peer.totals") <(sort "$TMP/ours.totals"); then
    failures=$((failures + 1))
    echo "DIFFERENT: a saved view on the remote cube"
    cat "$TMP/report.err"
    diff <(sort "$TMP/peer.totals") <(sort "$TMP/ours.totals")
  fi
fi

# Member properties asked for with DIMENSION PROPERTIES come back per member of the axis.
"$MDX" --connection "$CONNECTION" --format properties --query 'SELECT {[Measures].[Unit Sales]} ON 0,
  {[Product].[Drink].Children.Item(0)} * {[Time].[2023]} DIMENSION PROPERTIES PARENT_UNIQUE_NAME,
  [Product].[Product].[MEMBER_KEY] ON 1 FROM [Sales]' >"$TMP/props.txt" 2>"$TMP/props.err"
lists=$((lists + 1))
if ! grep -q "PARENT_UNIQUE_NAME=\[Product\].\[Drink\]	MEMBER_KEY=Cola	PARENT_UNIQUE_NAME=\[Time\].\[All Times\]	MEMBER_KEY=$" \
  "$TMP/props.txt"; then
  failures=$((failures + 1))
  echo "DIFFERENT: member properties over XMLA"
  cat "$TMP/props.txt" "$TMP/props.err"
fi

echo "$statements statements and $lists lists compared, $failures different"
[ "$statements" -gt 0 ] && [ "$failures" = 0 ]
