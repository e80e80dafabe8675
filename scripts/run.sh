#!/usr/bin/env bash
# Builds Junkbane and starts it. Beside the program (build/bin/) it creates the settings
# database junkbane.mdb and the temp folder when they are missing; existing ones are kept.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DJUNKBANE_TESTS=OFF >/dev/null
cmake --build build --target junkbane junkbane-initdb junkbane_help junkbane_help_en

bin=build/bin
[ -e "$bin/junkbane.mdb" ] || "$bin/junkbane-initdb" "$bin"
# Private to the user: the database holds the POP passwords, temp/ the mail being judged.
[ -d "$bin/temp" ] || mkdir -m 700 "$bin/temp"
# The menu entry and icon, so that the program shows in a desktop's menu.
if [ "$(id -u)" -eq 0 ]; then
  desktop/install-desktop-entry.sh "$PWD/$bin/junkbane" >/dev/null
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting under Xvfb (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$bin/junkbane"
fi
exec "$bin/junkbane"
