#!/usr/bin/env bash
# make screenshots: the built program on an example project (SHOT_PROJECT, else
# the example project of the Orvanta PLC device) in a copy of its program folder,
# under xvfb-run, brought through the scenes a user looks at (the main window,
# a scheme window at 200 %, the element library's picture hint, also at the
# screen's edge, the inspector's value list, a floating panel, the options
# dialog with a value list and a colour's dialog, the about box, the
# configuration log window, a new project's box over its header, the grid
# turned off through the options, a pasted block with the inspector); each scene's
# whole screen is saved as <build>/screenshots/<scene>.png. Fails unless every
# scene was saved, the program ended with exit code 0 and its log shows no error.
set -euo pipefail

BUILD_DIR=${BUILD_DIR:-build}
BUILD_ABS=$(cd "$BUILD_DIR" && pwd)
PROGRAM_DIR=$BUILD_ABS/Configurator
TOOL=$BUILD_ABS/tests/configurator/zoscreenshots
OUT=${SHOT_OUT:-$BUILD_ABS/screenshots}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$(cd "$(dirname "$0")/.." && pwd)/tests/lsan.supp}

if [ ! -x "$TOOL" ]; then
  echo "make screenshots: $TOOL is not built" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The program's own folder stays as it is: the run writes its log, options and
# panel layout into a copy.
cp -a "$PROGRAM_DIR" "$work/Configurator"
folder=$work/Configurator
project=${SHOT_PROJECT:-$folder/Project/ExamplePLC.hc}
rm -rf "$OUT"
mkdir -p "$OUT"

echo "make screenshots: $project (headless)"
rc=0
ZO_SHOT_FOLDER=$folder ZO_SHOT_OUT=$OUT \
  xvfb-run -a -s "-screen 0 1280x1024x24" "$TOOL" "$project" || rc=$?

status=0
if [ "$rc" != 0 ]; then
  echo "make screenshots: the run ended with exit code $rc" >&2
  status=1
fi
log=$folder/Log/Vezevire.log
if [ -f "$log" ] && iconv -c -f windows-1251 -t utf-8 "$log" | grep -q '\[5\]'; then
  echo "make screenshots: the log shows errors:" >&2
  iconv -c -f windows-1251 -t utf-8 "$log" | grep '\[5\]' >&2
  status=1
fi
ls -1 "$OUT"
exit "$status"
