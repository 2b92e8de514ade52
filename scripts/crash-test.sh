#!/bin/bash
# Kills the writer of the list and counter files at random moments, 1,000
# times (KILLS to change it) in each build that is there: natively with
# SIGKILL on a forked writer, under Wine with TerminateProcess on
# command_list_writer.exe.  Prints for each the kills made, the files found
# partial or mixed (must be 0) and the files left besides the two after the
# next write (must be 0).  Build first: the native and win32 presets'
# command_list_tests.
set -uo pipefail
cd "$(dirname "$0")/.."
export ROTAM_KILLS=${KILLS:-1000}
filter=--gtest_filter='CrashSafety.*'
status=0
if [[ -x build/native/command/tests/command_list_tests ]]; then
  echo "native:"
  build/native/command/tests/command_list_tests "$filter" | grep -E '^kill test|PASSED|FAILED|Failure|writer|Expected|actual' || status=1
fi
for arch in win32 win64; do
  exe=build/$arch/command/tests/command_list_tests.exe
  [[ -f "$exe" && -f build/$arch/command/tests/command_list_writer.exe ]] || continue
  echo "$arch (Wine):"
  cmake/wine-run.sh --prefix "$PWD/build/$arch/wineprefix" --arch "$arch" "$exe" "$filter" |
    tr -d '\r' | grep -E '^kill test|PASSED|FAILED|Failure|writer|Expected|actual' || status=1
done
exit $status
