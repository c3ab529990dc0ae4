# Shared by scripts/test and scripts/run: install what is missing, configure and build.
# shellcheck shell=bash

OSTREVIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OSTREVIN_BUILD=${OSTREVIN_BUILD:-$OSTREVIN_ROOT/build}

OSTREVIN_PACKAGES=(
  build-essential cmake pkg-config python3
  qt6-base-dev libgl-dev libegl-dev fonts-dejavu-core
  libmysqlcppconn-dev mariadb-server mariadb-client
  libgtest-dev libgmock-dev libbenchmark-dev libssl-dev
  xdg-utils poppler-utils
)

ostrevin_install_packages() {
  local missing=() pkg
  for pkg in "${OSTREVIN_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [[ ${#missing[@]} -eq 0 ]] && return 0
  if [[ $(id -u) -eq 0 ]]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "Missing packages. Run:"
    echo "  sudo apt-get install -y ${missing[*]}"
    exit 1
  fi
}

ostrevin_build() {
  cmake -S "$OSTREVIN_ROOT" -B "$OSTREVIN_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$OSTREVIN_BUILD" --parallel "$(nproc)"
}
