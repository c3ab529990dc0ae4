# Shared by scripts/test and scripts/run: install what is missing, configure and build.
# shellcheck shell=bash

OSTREVIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OSTREVIN_BUILD=${OSTREVIN_BUILD:-$OSTREVIN_ROOT/build}

OSTREVIN_PACKAGES=(
  build-essential cmake pkg-config python3
  qt6-base-dev libgl-dev libegl-dev fonts-dejavu-core
  libmysqlcppconn-dev mariadb-server mariadb-client galera-4 mariadb-backup socat
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

# Builds quietly: the compiler's progress goes to build/build.log, and only a failure is shown
# (its error lines, or the end of the log when none is marked as such).
ostrevin_build() {
  local log=$OSTREVIN_BUILD/build.log
  mkdir -p "$OSTREVIN_BUILD"
  echo "Building in $OSTREVIN_BUILD ..."
  if cmake -S "$OSTREVIN_ROOT" -B "$OSTREVIN_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$log" 2>&1 \
    && cmake --build "$OSTREVIN_BUILD" --parallel "$(nproc)" >>"$log" 2>&1; then
    return 0
  fi
  echo "The build failed (the whole log: $log):" >&2
  if grep -qE 'error:|Error [0-9]+|CMake Error' "$log"; then
    grep -E -A4 'error:|CMake Error' "$log" | head -80 >&2
  else
    tail -40 "$log" >&2
  fi
  return 1
}
