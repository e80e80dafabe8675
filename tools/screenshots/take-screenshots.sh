#!/usr/bin/env bash
# Takes the PNGs in docs/screenshots/: every window of Junkbane as a user reaches it through
# the menu, shot on a virtual X display (Xvfb) with a window manager (openbox) drawing the
# frames and titles. The helper junkbane_screenshots fills a fresh settings database through
# the dialogs and sweeps a Dovecot mailbox of its own, so the main window shows a real wait.
#
#     tools/screenshots/take-screenshots.sh [BUILD_FOLDER]    (default: build-screenshots)
#
# Needs the packages of `scripts/install-deps.sh test` (xvfb, xauth, fonts-ipafont-gothic, dovecot,
# openbox); without openbox the windows are shot without frames.
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$repo/build-screenshots}
out=$repo/docs/screenshots

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DJUNKBANE_TESTS=ON -DJUNKBANE_TEST_DIRS=integration -DJUNKBANE_BENCH=OFF >/dev/null
fi
cmake --build "$build" --target junkbane_screenshots junkbane-initdb

# The helper's own folder: a fresh database every time, never the program's in build/bin.
helper_dir=$build/screenshots
rm -rf "$helper_dir/junkbane.mdb" "$helper_dir/temp" "$helper_dir/deleted"
"$build/bin/junkbane-initdb" "$helper_dir" >/dev/null
mkdir "$helper_dir/temp"

mkdir -p "$out"
rm -f "$out"/*.png

if ! command -v openbox >/dev/null; then
  echo "openbox is not installed: the windows are shot without frames and titles." >&2
fi

# Inside Xvfb: the window manager first (it must own the screen before a window maps), then
# the helper; the window manager is stopped by its own process id.
inner='
  wm=
  if command -v openbox >/dev/null; then
    openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
    sleep 1
  fi
  status=0
  QT_QPA_PLATFORM=xcb "$1" "$2" || status=$?
  [ -z "$wm" ] || kill "$wm" 2>/dev/null || true
  exit $status
'
xvfb-run -a -s "-screen 0 1024x768x24" bash -c "$inner" bash \
  "$helper_dir/junkbane_screenshots" "$out"

rm -rf "$helper_dir/junkbane.mdb" "$helper_dir/temp" "$helper_dir/deleted"
echo "Screenshots in $out"
