#!/usr/bin/env bash
# Lays out the demo installation under BUILD/demo: a registry root whose
# folders point at a copy of the bundled sample data (catalogues, reports and
# the sample cube), with the control library registered. Files the user
# changed there are kept.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: make-demo.sh BUILD_DIR}

demo="$PWD/$build/demo"
mkdir -p "$demo/registry" "$demo/data" "$demo/reports" "$demo/export"

# Catalogues: the sample files with the demo's folders filled in; the
# favourites file is named after the user.
install_catalogue() {
  local source=$1 target=$2
  [[ -e "$target" ]] && return 0
  sed -e "s|@DATA@|$demo/data/|g" -e "s|@REPORTS@|$demo/reports/|g" "$source" > "$target.tmp"
  mv "$target.tmp" "$target"
}
install_catalogue sample/data/Pellamy.xml "$demo/data/Pellamy.xml"
install_catalogue sample/data/PellamyDS.xml "$demo/data/PellamyDS.xml"
install_catalogue sample/data/Favorites.xml "$demo/data/$(id -un).xml"
# Reports: the sample report files with the demo's data folder filled in,
# in the report folder and, for the sample favourites, in the user's
# personal report folder. Files already there are kept.
install_report() {
  local source=$1 folder=$2
  local target="$folder/$(basename "$source")"
  [[ -e "$target" ]] && return 0
  mkdir -p "$folder"
  sed -e "s|@DATA@|$demo/data/|g" "$source" > "$target.tmp"
  mv "$target.tmp" "$target"
}
for report in sample/reports/*; do
  install_report "$report" "$demo/reports"
done
for report in sample/reports/SalesByRegion.xml sample/reports/SalesByRegionChart.xml sample/reports/TopProducts.xml sample/reports/CountrySalesSQL.xml; do
  install_report "$report" "$demo/reports/$(id -un)"
done

# The sample cube, once the cube tool is built.
if [[ -x "$build/bin/lumetra-cube" && ! -e "$demo/data/Sales.cub" ]]; then
  "$build/bin/lumetra-cube" sample --rows 200000 --out "$demo/data"
fi

export LUMETRA_REGISTRY_ROOT="$demo/registry"
key='\LocalMachine\Software\Corvane\Talvanor\Lumetra\Lumetra'
"$build/bin/lumetra-reg" set "$key\\DataPath" REG_SZ "$demo/data/"
"$build/bin/lumetra-reg" set "$key\\ReportPath" REG_SZ "$demo/reports/"
"$build/bin/lumetra-reg" set "$key\\ExportPath" REG_SZ "$demo/export/"
"$build/bin/lumetra-regsvr" "$build/lib/libHexmoor2.so"

# A report window with a table and a chart starts with the bottom pane at a
# useful height (the program's own default is a sliver, 10 pixels, until the
# user drags the bar); a height the user left there is kept.
split='\CurrentUser\Software\Corvane\Talvanor\Lumetra\splt\init_h1202\HorizSplitPos'
if ! "$build/bin/lumetra-reg" get "$split" > /dev/null 2>&1; then
  "$build/bin/lumetra-reg" set "$split" REG_DWORD 300
fi
