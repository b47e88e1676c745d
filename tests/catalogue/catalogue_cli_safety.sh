#!/usr/bin/env bash
# lumetra-catalog never loses a catalogue: a failed rewrite leaves the target
# byte-identical and says why; a read that stops early warns, and a rewrite
# in place keeps the original as NAME.bak once; a FIFO is refused at once.
# The full-disk case mounts a small tmpfs and runs only as root.
set -euo pipefail
tool="$1"
work="$(mktemp -d)"
mounted=""
cleanup() {
  if [ -n "$mounted" ]; then umount -l "$mounted" || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# A catalogue of a root and N items (11 by default).
twelve() {
  printf '<?xml version="1.0" encoding="ISO-8859-15"?>\r\n<root name="Reports">\r\n'
  for i in $(seq 1 "${1:-11}"); do printf '\t<item name="Report %s" Reporttype1="1"/>\r\n' "$i"; done
  printf '</root>\r\n'
}

# A root named "..." reads no item: the rewrite fails and touches nothing,
# whether the target is another file or the input itself.
printf '<root name="...">\r\n\t<item name="A"/>\r\n</root>\r\n' > "$work/ellipsis.xml"
twelve > "$work/victim.xml"
cp "$work/victim.xml" "$work/victim.orig"
cp "$work/ellipsis.xml" "$work/ellipsis.orig"
if "$tool" rewrite "$work/ellipsis.xml" "$work/victim.xml" 2> "$work/err"; then fail "rewrite of no items succeeded"; fi
grep -q "no items" "$work/err" || fail "no reason given: $(cat "$work/err")"
cmp -s "$work/victim.xml" "$work/victim.orig" || fail "the target of a failed rewrite changed"
if "$tool" rewrite "$work/ellipsis.xml" "$work/ellipsis.xml" 2> /dev/null; then fail "rewrite X X of no items succeeded"; fi
cmp -s "$work/ellipsis.xml" "$work/ellipsis.orig" || fail "rewrite X X of no items changed X"
[ ! -e "$work/ellipsis.xml.bak" ] || fail "a backup was made although nothing was written"

# A write that cannot happen names the reason and leaves no temporary file.
mkdir "$work/folder"
if "$tool" rewrite "$work/victim.xml" "$work/folder" 2> "$work/err"; then fail "rewrite over a folder succeeded"; fi
grep -q "folder" "$work/err" || fail "rewrite over a folder: $(cat "$work/err")"
if "$tool" rewrite "$work/victim.xml" "$work/missing/cat.xml" 2> "$work/err"; then fail "rewrite into no folder"; fi
grep -q "No such file or directory" "$work/err" || fail "no reason: $(cat "$work/err")"
ls "$work" | grep -q "tmp-" && fail "temporary file left behind"

# A zero byte in the middle: a warning, and rewrite X X keeps X.bak once.
twelve > "$work/damaged.xml"
printf '\0' | dd of="$work/damaged.xml" bs=1 seek=200 conv=notrunc status=none
cp "$work/damaged.xml" "$work/damaged.orig"
"$tool" list "$work/damaged.xml" > /dev/null 2> "$work/err"
grep -q "warning: .*zero byte at offset 200" "$work/err" || fail "no warning for a zero byte: $(cat "$work/err")"
"$tool" rewrite "$work/damaged.xml" "$work/damaged.xml" 2> "$work/err"
cmp -s "$work/damaged.xml.bak" "$work/damaged.orig" || fail "the damaged original was not kept as .bak"
grep -q "kept as" "$work/err" || fail "the backup was not mentioned: $(cat "$work/err")"
twelve > "$work/damaged.xml"
printf 'junk' >> "$work/damaged.xml"
"$tool" rewrite "$work/damaged.xml" "$work/damaged.xml" 2> /dev/null
cmp -s "$work/damaged.xml.bak" "$work/damaged.orig" || fail "a later rewrite replaced the .bak"

# Wide text and junk warn as well.
iconv -f ISO-8859-1 -t UTF-16 < "$work/victim.orig" > "$work/utf16.xml"
"$tool" list "$work/utf16.xml" > /dev/null 2> "$work/err"
grep -q "UTF-16" "$work/err" || fail "no warning for UTF-16: $(cat "$work/err")"
echo "not a catalogue" > "$work/junk.xml"
"$tool" list "$work/junk.xml" > /dev/null 2> "$work/err"
grep -q "warning: .*no catalogue element" "$work/err" || fail "no warning for junk: $(cat "$work/err")"
"$tool" list "$work/victim.orig" > /dev/null 2> "$work/err"
[ ! -s "$work/err" ] || fail "a whole file warned: $(cat "$work/err")"

# Not a regular file: refused before open() could block.
mkfifo "$work/pipe.xml"
rc=0
timeout 20 "$tool" list "$work/pipe.xml" > /dev/null 2> "$work/err" || rc=$?
[ "$rc" = 1 ] || fail "list on a FIFO exited with $rc"
grep -q "named pipe" "$work/err" || fail "FIFO: $(cat "$work/err")"
rc=0
timeout 20 "$tool" list /dev/null > /dev/null 2> "$work/err" || rc=$?
[ "$rc" = 1 ] || fail "list on /dev/null exited with $rc"

# A full disk: the old file stays byte-identical, the reason is given.
if [ "$(id -u)" != 0 ]; then
  echo "SKIP full-disk case: needs root to mount a small tmpfs"
  exit 0
fi
mkdir "$work/full"
if ! mount -t tmpfs -o size=64k tmpfs "$work/full" 2> /dev/null; then
  echo "SKIP full-disk case: mounting a small tmpfs was refused"
  exit 0
fi
mounted="$work/full"
twelve 200 > "$work/big.xml"
"$tool" rewrite "$work/big.xml" "$work/big-one.xml"
[ "$(stat -c %s "$work/big-one.xml")" -gt 8192 ] || fail "the test catalogue is too small"
cp "$work/victim.orig" "$work/full/cat.xml"
# No space at all, then 4 KB free for a file of more than 8 KB.
for free in 0 4096; do
  dd if=/dev/zero of="$work/full/filler" bs=1k 2> /dev/null || true
  [ "$free" = 0 ] || truncate -s "-$free" "$work/full/filler"
  if "$tool" rewrite "$work/big-one.xml" "$work/full/cat.xml" 2> "$work/err"; then
    fail "rewrite with $free bytes free succeeded"
  fi
  grep -q "No space left on device" "$work/err" || fail "full disk: $(cat "$work/err")"
  cmp -s "$work/full/cat.xml" "$work/victim.orig" || fail "$free bytes free changed the old file"
  ls "$work/full" | grep -q "tmp-" && fail "temporary file left on the full disk"
  rm "$work/full/filler"
done
echo "ok"
