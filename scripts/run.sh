#!/usr/bin/env bash
# Installs what is missing, builds Tessarin and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
if [ -x build/app/tessarin ]; then
  exec build/app/tessarin
else
  exec build/cli/tessarin-cli "$@"
fi
