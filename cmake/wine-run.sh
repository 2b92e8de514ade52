#!/bin/bash
# Runs one Windows program of this build under Wine.
#   wine-run.sh --prefix DIR [--arch win32|win64] [--link-fonts] PROGRAM [ARGS...]
# The prefix (one per build tree) is made on first use, under a lock so that
# parallel tests do not race to make it.  Without a display the program runs
# on a private Xvfb, and we wait for the prefix's wineserver before that
# display goes away.
set -euo pipefail

prefix=""
arch=win32
link_fonts=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    --prefix) prefix="$2"; shift 2 ;;
    --arch) arch="$2"; shift 2 ;;
    --link-fonts) link_fonts=1; shift ;;
    *) break ;;
  esac
done
[[ -n "$prefix" && $# -ge 1 ]] || { echo "usage: wine-run.sh --prefix DIR [--arch A] PROGRAM [ARGS...]" >&2; exit 2; }

WINEDIR=/usr/lib/wine
wine="$WINEDIR/wine"
[[ "$arch" == win64 ]] && wine="$WINEDIR/wine64"
export WINEPREFIX="$prefix"
export WINEARCH="$arch"
export WINEDEBUG="${WINEDEBUG:--all}"
# No debugger waiting on a crash, no prompts for Mono or Gecko.
# No sound devices either: a test machine has none, and probing for them can
# stall a beep for minutes.
export WINEDLLOVERRIDES="winedbg.exe=d;mscoree=;mshtml=;winealsa.drv=d;winepulse.drv=d;wineoss.drv=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

if [[ -z "${DISPLAY:-}" && -z "${ROTAM_WINE_XVFB:-}" ]]; then
  export ROTAM_WINE_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --prefix "$prefix" --arch "$arch" ${link_fonts:+--link-fonts} "$@"
fi

# Wine's own caption and dialog fonts have no Japanese glyphs; link them to
# the system's Japanese font so captions and screenshots are legible.  Wine
# puts its own links back whenever the code page differs from the last run's
# (the tests run under two), so a run that wants legible captions asks for
# the links again with --link-fonts.
link_japanese_fonts() {
  for face in Tahoma "Microsoft Sans Serif"; do
    "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d 'ipag.ttf,IPAGothic' /f >/dev/null 2>&1 9>&- || true
  done
}

mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [[ ! -f "$prefix/system.reg" ]]; then
    "$wine" wineboot -i >/dev/null 2>&1 || true
    link_japanese_fonts
    "$WINEDIR/wineserver" -w || true
  fi
) 9>"$prefix.lock"
if [[ -n "$link_fonts" ]]; then
  link_japanese_fonts
fi

# The first program in a prefix starts Wine's own background processes
# (wineserver, services, the desktop), which inherit its output.  Were that
# the test runner's pipe, the runner would wait on it until they quit, long
# after the program has ended: the program writes to a file instead.
output=$(mktemp)
trap 'cat "$output"; rm -f "$output"' EXIT
status=0
"$wine" "$@" >"$output" 2>&1 || status=$?
if [[ -n "${ROTAM_WINE_XVFB:-}" ]]; then
  "$WINEDIR/wineserver" -w || true
fi
exit $status
