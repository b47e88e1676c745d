#!/bin/sh
# PostgreSQL through its ODBC driver, end to end: a private server on a Unix socket in a
# temporary folder, the provider name mapped to the driver in the machine-wide registry, and
# lumetra-mdx running SQL and listing tables and catalogs over the connection string the
# connect dialog composes. Exits 77 (skipped) when PostgreSQL or its ODBC driver is missing.
set -u
MDX=$1
REG=$2
PGBIN=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
DRIVER=$(ls /usr/lib/*/odbc/psqlodbcw.so /usr/lib/odbc/psqlodbcw.so 2>/dev/null | head -1)
if [ -z "$PGBIN" ] || [ -z "$DRIVER" ]; then
    echo "PostgreSQL or its ODBC driver (odbc-postgresql) is not installed: skipped"
    exit 77
fi
DIR=$(mktemp -d)
AS=""
if [ "$(id -u)" -eq 0 ]; then
    # The server refuses to run as root.
    chown postgres "$DIR"
    AS="runuser -u postgres --"
fi
PORT=$((50000 + $$ % 10000))
stop() {
    $AS "$PGBIN/pg_ctl" -D "$DIR/data" -m immediate stop >/dev/null 2>&1
    rm -rf "$DIR"
}
trap stop EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}

$AS "$PGBIN/initdb" -D "$DIR/data" -U lumetra --auth=trust >"$DIR/initdb.log" 2>&1 || fail "initdb: $(cat "$DIR/initdb.log")"
$AS "$PGBIN/pg_ctl" -D "$DIR/data" -o "-k $DIR -c listen_addresses='' -p $PORT" -l "$DIR/server.log" -w start \
    >/dev/null || fail "server: $(cat "$DIR/server.log")"
"$PGBIN/psql" -q -h "$DIR" -p "$PORT" -U lumetra -d postgres -c "CREATE DATABASE sales" || fail "create database"
"$PGBIN/psql" -q -h "$DIR" -p "$PORT" -U lumetra -d sales -c "
    CREATE TABLE sales(region varchar(20), units integer, amount numeric(10,2), sold date);
    INSERT INTO sales VALUES ('North', 3, 10.50, '2024-01-15'), ('South', 4, 20, '2024-02-29');
    CREATE VIEW north AS SELECT * FROM sales WHERE region = 'North';" || fail "fill database"

printf '[PostgreSQL Test]\nDriver=%s\n' "$DRIVER" >"$DIR/odbcinst.ini"
ODBCSYSINI=$DIR
LUMETRA_REGISTRY_ROOT=$DIR/registry
export ODBCSYSINI LUMETRA_REGISTRY_ROOT
mkdir -p "$LUMETRA_REGISTRY_ROOT"
CS="Provider=PostgreSQL OLE DB Provider; Data Source=$DIR; Initial Catalog=sales; User ID=lumetra; Port=$PORT"

"$MDX" --connection "$CS" --sql "SELECT 1" >/dev/null 2>"$DIR/e" && fail "an unmapped provider connected"
grep -q 'Providers\\PostgreSQL OLE DB Provider' "$DIR/e" || fail "unmapped provider: $(cat "$DIR/e")"
"$REG" set '\LocalMachine\Software\Corvane\Talvanor\Lumetra\Lumetra\Providers\PostgreSQL OLE DB Provider' REG_SZ \
    'PostgreSQL Test' || fail "registry"

"$MDX" --connection "$CS" --sql "SELECT region, units, amount, sold FROM sales ORDER BY region" >"$DIR/rows" ||
    fail "sql: $(cat "$DIR/rows")"
printf 'region,units,amount,sold\nNorth,3,10.5,2024-01-15\nSouth,4,20,2024-02-29\n' | cmp -s - "$DIR/rows" ||
    fail "rows: $(cat "$DIR/rows")"
"$MDX" --connection "$CS" --discover tables >"$DIR/tables" || fail "tables"
printf 'TABLE_NAME,TABLE_TYPE\nsales,Table\n' | cmp -s - "$DIR/tables" || fail "tables (views are not tables): $(cat "$DIR/tables")"
"$MDX" --connection "$CS" --discover catalogs | grep -qx 'sales' || fail "catalogs"
"$MDX" --connection "$(echo "$CS" | sed 's/Initial Catalog=sales/Initial Catalog=nosuch/')" --sql "SELECT 1" \
    >/dev/null 2>"$DIR/e" && fail "a missing database connected"
grep -q 'database does not exist' "$DIR/e" || fail "missing database: $(cat "$DIR/e")"
"$MDX" --connection "$CS" --sql "SELECT * FROM nowhere" >/dev/null 2>"$DIR/e" && fail "bad SQL ran"
grep -q 'nowhere' "$DIR/e" || fail "bad SQL: $(cat "$DIR/e")"
echo "PostgreSQL through ODBC: ok"
