#!/usr/bin/env bash
# Installs what the program needs, builds it, and starts it on the bundled
# sample data (a demo registry root whose folders point into build/demo).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build=${LUMETRA_BUILD:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMETRA_TESTS=OFF
cmake --build "$build"

scripts/make-demo.sh "$build"
export LUMETRA_REGISTRY_ROOT="$PWD/$build/demo/registry"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  echo "No display found: starting Lumetra on a virtual display (xvfb-run)." >&2
  exec xvfb-run -a "$build/bin/Lumetra" "$@"
fi
exec "$build/bin/Lumetra" "$@"
