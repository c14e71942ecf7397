#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite headless.
set -euo pipefail
KWIL_ROOT=$(cd "$(dirname "$0")" && pwd)
source "$KWIL_ROOT/tools/deps.sh"
kwil_install_deps
kwil_build "$KWIL_ROOT/build" Release
cd "$KWIL_ROOT/build"
ctest --output-on-failure --parallel "$(nproc)" "$@"
