#!/usr/bin/env bash
# Installs the Debian packages Kwil needs to build, run and test, when any is
# missing. Sourced by run.sh and test.sh.
set -euo pipefail

KWIL_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 qt6-translations-l10n qt6-qpa-plugins
  fonts-noto-cjk
  firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils
  zlib1g-dev libgcrypt20-dev libcurl4-openssl-dev libxml2-dev libjpeg62-turbo-dev
  libbenchmark-dev
  xvfb xauth openbox trayer imagemagick xdotool x11-utils procps
)

kwil_install_deps() {
  local missing=()
  for p in "${KWIL_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

kwil_build() { # kwil_build DIR TYPE
  local dir=$1 type=$2
  cmake -S "$KWIL_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" >/dev/null
  cmake --build "$dir" --parallel "$(nproc)"
}
