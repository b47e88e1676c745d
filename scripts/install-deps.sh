#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the program and the tests need.
# Idempotent and quick when everything is already there.
# With --list it only prints the package names, one a line (the set-up test
# checks the build's dependencies against this list).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git ccache
  qt6-base-dev qt6-charts-dev qt6-svg-dev libqt6opengl6-dev libgl1-mesa-dev libxkbcommon-dev qt6-qpa-plugins
  libsqlite3-dev sqlite3 unixodbc-dev odbcinst libsqliteodbc libcurl4-openssl-dev libpugixml-dev
  libxlsxwriter-dev libfreexl-dev libminizip-dev
  postgresql odbc-postgresql libxerial-sqlite-jdbc-jni
  libgtest-dev libgmock-dev libbenchmark-dev
  clang clang-format clang-tidy libclang-rt-14-dev
  xvfb xauth imagemagick fonts-dejavu-core
)

if [[ "${1:-}" == "--list" ]]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [[ $(id -u) -eq 0 ]] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
