#!/bin/bash
# The main job: builds what is missing and runs the drawing list command in
# the reference host under Wine (on $DISPLAY, or on a private Xvfb with a
# screenshot when there is no display), then prints the events the host saw.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
if [[ -f scripts/run-host.sh ]]; then
  exec bash scripts/run-host.sh "$@"
fi
# Until the command can run in the host: the library's demo, both builds.
cmake --preset native >/dev/null && cmake --build --preset native -j 2 --target vostik_demo >/dev/null
./build/native/vostik/vostik_demo
cmake --preset win32 >/dev/null && cmake --build --preset win32 -j 2 --target vostik_demo >/dev/null
cd build/win32/vostik && ../../../cmake/wine-run.sh --prefix "$PWD/../wineprefix" ./vostik_demo.exe
