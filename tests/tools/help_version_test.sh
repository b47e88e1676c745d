#!/usr/bin/env bash
# Every command-line tool answers --help (usage on stdout, exit 0, nothing on
# stderr) and --version (its name and the project's version, exit 0).
# Usage: help_version_test.sh VERSION TOOL...
set -u
version=$1
shift
failed=0
for tool in "$@"; do
  name=$(basename "$tool")
  out=$("$tool" --help 2>/tmp/help-err.$$); rc=$?
  if [[ $rc -ne 0 || "$out" != *usage* || -s /tmp/help-err.$$ ]]; then
    echo "FAIL: $name --help: exit $rc, stdout '${out:0:80}', stderr '$(head -c 80 /tmp/help-err.$$)'"
    failed=1
  fi
  out=$("$tool" --version 2>/dev/null); rc=$?
  if [[ $rc -ne 0 || "$out" != "$name $version" ]]; then
    echo "FAIL: $name --version: exit $rc, printed '$out', expected '$name $version'"
    failed=1
  fi
done
rm -f /tmp/help-err.$$
if ((failed)); then exit 1; fi
echo "$# tools answer --help and --version"
