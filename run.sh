#!/usr/bin/env bash
# Builds the bench and runs it in run/: the window when a display exists,
# a short headless sweep of every test otherwise. Extra arguments go to
# vornel instead (with or without a display).
set -euo pipefail
cd "$(dirname "$0")"
./tools/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target vornel
mkdir -p run
if [ -d assets ]; then cp -r assets/. run/; fi
cd run
if [ $# -gt 0 ]; then
  exec ../build/app/vornel "$@"
elif [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec ../build/app/vornel
else
  # No display: a short sweep, one call per frame and one second a test,
  # over every test; vornel prints the table at its end.
  status=0
  ../build/app/vornel --run-all --headless --seconds 1 --calls 1 --tests all --out . || status=$?
  echo "--- chart: run/results.svg"
  echo "--- contact sheet: run/contact.png (first frames in run/frames/)"
  echo "--- results: run/results.csv, RESULTS.TXT and Logfile.txt in run/"
  echo "--- to compare with a later run, keep a copy: build/app/vornel --compare OLD.csv run/results.csv"
  exit "$status"
fi
