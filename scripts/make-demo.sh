#!/usr/bin/env bash
# Lays out the demo installation under BUILD/demo: a registry root whose
# folders point at a copy of the bundled sample data, with the control
# library registered. Files the user changed there are kept.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: make-demo.sh BUILD_DIR}

demo="$PWD/$build/demo"
mkdir -p "$demo/registry" "$demo/data" "$demo/reports" "$demo/export"
cp -rn sample/data/. "$demo/data/" 2>/dev/null || true
cp -rn sample/reports/. "$demo/reports/" 2>/dev/null || true

export LUMETRA_REGISTRY_ROOT="$demo/registry"
key='\LocalMachine\Software\Corvane\Talvanor\Lumetra\Lumetra'
"$build/bin/lumetra-reg" set "$key\\DataPath" REG_SZ "$demo/data/"
"$build/bin/lumetra-reg" set "$key\\ReportPath" REG_SZ "$demo/reports/"
"$build/bin/lumetra-reg" set "$key\\ExportPath" REG_SZ "$demo/export/"
"$build/bin/lumetra-regsvr" "$build/lib/libHexmoor2.so"
