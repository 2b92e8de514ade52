#!/bin/bash
# Builds the Windows side (the win32 preset) and runs the reference host
# zynhost.exe under Wine: it creates the control, answers its version
# question and starts the command, whose dialog opens next to the mouse
# pointer.  When the dialog is closed the host releases the control and the
# event log (one JSON line per event the host heard) is printed.
#
# With a display ($DISPLAY) the dialog waits for you to close it.  Without
# one, it runs on a private X server in a Wine desktop, a screenshot is saved
# (build/win32/zynhost-screen.png, or $ROTAM_SCREENSHOT) and the dialog is
# closed after a few seconds.
#
# Any arguments go to zynhost.exe (see tools/zynhost/zynhost.cpp), e.g.
#   scripts/run-host.sh --version "2, 0, 1, 7"
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${ROTAM_BUILD_DIR:-$root/build/win32}

cmake --preset win32 -S "$root" -B "$build" >/dev/null
cmake --build "$build" --target zynhost -j2 >/dev/null

run() {
  (cd "$build" && "$root/cmake/wine-run.sh" --prefix "$build/wineprefix" --link-fonts "$@")
}

log=zynhost-log.txt
rm -f "$build/$log"
if [[ -n "${DISPLAY:-}" ]]; then
  run bin/zynhost.exe --log "$log" "$@"
else
  shot=${ROTAM_SCREENSHOT:-$build/zynhost-screen.png}
  bmp=zynhost-screen.bmp
  rm -f "$build/$bmp"
  # A Wine desktop draws the window frames that no window manager would.
  run explorer /desktop=rotam,1280x1024 bin/zynhost.exe --log "$log" \
    --after 2500:shot:"$bmp" --after 4000:close --timeout 120000 "$@"
  if [[ -f "$build/$bmp" ]]; then
    python3 - "$build/$bmp" "$shot" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
offset = struct.unpack_from('<I', data, 10)[0]
width, height = struct.unpack_from('<ii', data, 18)
stride = (width * 3 + 3) & ~3
rows = []
for y in range(height - 1, -1, -1):
    bgr = data[offset + y * stride: offset + y * stride + width * 3]
    rgb = bytearray(width * 3)
    rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
    rows.append(b'\0' + bytes(rgb))
def chunk(kind, body):
    return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
open(sys.argv[2], 'wb').write(b'\x89PNG\r\n\x1a\n'
    + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
    + chunk(b'IDAT', zlib.compress(b''.join(rows))) + chunk(b'IEND', b''))
PY
    rm -f "$build/$bmp"
    echo "screenshot: $shot" >&2
  fi
fi
cat "$build/$log"
