#!/usr/bin/env bash
# Builds the bench and runs it in run/: the window when a display exists,
# the headless benchmark sweep otherwise. Extra arguments go to vornel.
set -euo pipefail
cd "$(dirname "$0")"
./tools/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target vornel
mkdir -p run
if [ -d assets ]; then cp -r assets/. run/; fi
cd run
if [ $# -gt 0 ]; then
  ../build/app/vornel "$@"
elif [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  ../build/app/vornel
else
  ../build/app/vornel --run-all --headless || status=$?
  echo "--- Logfile.txt (head)"
  head -n 40 Logfile.txt
  [ -f RESULTS.TXT ] && { echo "--- RESULTS.TXT"; cat RESULTS.TXT; }
  exit "${status:-0}"
fi
