#!/usr/bin/env bash
# Fails when the build found a CMake package whose Debian package a fresh
# machine would not get from scripts/install-deps.sh.
#
# Usage: check-packages.sh CMAKE_CACHE BUILD_DIR [PACKAGE_LIST_FILE]
#
# Every "<Name>_DIR" entry of the cache that points outside the build tree is
# a folder where configure found a package-config file. The Debian package
# that owns that file must be in the install list or be pulled in by the
# list's Depends (Recommends are not installed: install-deps uses
# --no-install-recommends). Without PACKAGE_LIST_FILE the list comes from
# `scripts/install-deps.sh --list`.
set -euo pipefail

cache=${1:?CMakeCache.txt path}
build_dir=$(realpath "${2:?build folder}")
here=$(cd "$(dirname "$0")/../.." && pwd)

if [[ $# -ge 3 ]]; then
  mapfile -t listed < <(grep -v '^[[:space:]]*$' "$3")
else
  mapfile -t listed < <("$here/scripts/install-deps.sh" --list)
fi

if ! command -v dpkg >/dev/null || ! command -v apt-cache >/dev/null; then
  echo "SKIP: dpkg and apt-cache are needed to map folders to Debian packages"
  exit 0
fi

# The package-config file of each entry: "<Name>Config.cmake" or
# "<name>-config.cmake" in the folder (a folder may also hold other packages'
# plug-in configs, so the entry's own file is the one that counts).
declare -A entry_of=() # config file -> cache entry name
while IFS= read -r line; do
  name=${line%%_DIR:*}
  dir=${line#*=}
  [[ -d "$dir" ]] || continue
  real=$(realpath "$dir")
  [[ "$real" == "$build_dir"* ]] && continue
  lower=$(tr '[:upper:]' '[:lower:]' <<<"$name")
  for config in "$real/${name}Config.cmake" "$real/${lower}-config.cmake"; do
    if [[ -f "$config" ]]; then
      entry_of[$config]=${name}_DIR
      break
    fi
  done
done < <(grep -E '^[A-Za-z0-9_.+-]+_DIR:(PATH|STATIC|INTERNAL|UNINITIALIZED)=/' "$cache")

# One dpkg query for all files; merged /usr means a file may be recorded
# under /lib as well as /usr/lib.
declare -A needed=() # package -> the cache entries that need it
declare -A owned=()
queries=()
for config in "${!entry_of[@]}"; do queries+=("$config" "${config#/usr}"); done
if ((${#queries[@]})); then
  while IFS= read -r line; do
    path=${line##*: }
    packages=${line%: *}
    [[ -n "${entry_of[$path]:-}" ]] || path="/usr$path"
    [[ -n "${entry_of[$path]:-}" ]] || continue
    pkg=${packages%%,*}
    pkg=${pkg%%:*}
    owned[$path]=1
    needed[$pkg]+="${needed[$pkg]:+, }${entry_of[$path]}"
  done < <(dpkg -S "${queries[@]}" 2>/dev/null || true)
fi
unowned=()
for config in "${!entry_of[@]}"; do
  [[ -n "${owned[$config]:-}" ]] || unowned+=("${entry_of[$config]} ($config)")
done

if ((${#needed[@]} == 0)); then
  echo "FAIL: no package-config folder found in $cache"
  exit 1
fi

# Everything the list installs: the listed packages and their Depends, recursively.
declare -A closure=()
while IFS= read -r pkg; do
  closure[${pkg%%:*}]=1
done < <(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts \
           --no-breaks --no-replaces --no-enhances "${listed[@]}" 2>/dev/null | grep -E '^[^[:space:]<]')
for pkg in "${listed[@]}"; do closure[$pkg]=1; done

missing=0
for pkg in "${!needed[@]}"; do
  if [[ -z "${closure[$pkg]:-}" ]]; then
    echo "FAIL: package $pkg (for ${needed[$pkg]}) is not installed by scripts/install-deps.sh nor pulled in by its Depends"
    missing=1
  fi
done
for entry in "${unowned[@]}"; do
  echo "FAIL: $entry belongs to no Debian package; a fresh machine will not have it"
  missing=1
done

if ((missing)); then
  exit 1
fi
echo "OK: ${#needed[@]} packages behind the build's package-config folders are all installed by scripts/install-deps.sh"
