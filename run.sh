#!/usr/bin/env bash
# Installs what is missing, builds, and starts Kwil on its embedded database
# beside the built program.
set -euo pipefail
KWIL_ROOT=$(cd "$(dirname "$0")" && pwd)
source "$KWIL_ROOT/tools/deps.sh"
kwil_install_deps
kwil_build "$KWIL_ROOT/build" Release
# Notes keep the positions the user gave them only where the program may place
# its own windows: on Wayland, run through XWayland.
if [ -n "${WAYLAND_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=xcb
fi
exec "$KWIL_ROOT/build/bin/kwil"
