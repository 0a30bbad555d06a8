#!/usr/bin/env bash
# Builds the bench and runs it in run/: the window when a display exists,
# a headless session otherwise. Extra arguments go to vornel.
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
  # No display: a short scripted session that saves what the window shows.
  printf 'frames 5\nscreenshot vornel.png\n' > headless-session.txt
  status=0
  ../build/app/vornel --headless --script headless-session.txt || status=$?
  echo "--- Logfile.txt (head)"
  head -n 40 Logfile.txt
  echo "--- the window's picture: run/vornel.png"
  [ -f RESULTS.TXT ] && { echo "--- RESULTS.TXT"; cat RESULTS.TXT; }
  exit "$status"
fi
