#!/usr/bin/env bash
# Formats every C++ source with the repository's .clang-format;
# --check only reports files that are not formatted.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = --check ]; then
  git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
else
  git ls-files '*.cpp' '*.h' | xargs clang-format -i
fi
