#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing,
# so that a machine that already has them pays nothing.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils firebird3.0-examples
  qt6-base-dev xvfb xauth
  unixodbc-dev libsqliteodbc
  clang libclang-rt-14-dev
  postgresql-15 libpq-dev mariadb-server mariadb-client libmariadb-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
