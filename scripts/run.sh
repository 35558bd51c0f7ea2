#!/usr/bin/env bash
# Installs what is missing, builds Velmora and starts it. Without a display, Velmora starts on
# a virtual X display; a screenshot of its main window is saved, the window is closed, and the
# command ends by itself.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target velmora -j"$(nproc)"

# A first start opens the demo project: the settings file names it as the last project.
SETTINGS="${XDG_CONFIG_HOME:-$HOME/.config}/velmora.ini"
if [ ! -f "$SETTINGS" ]; then
  mkdir -p "$(dirname "$SETTINGS")"
  printf '[VELMORA Options]\nLastproject=%s\nTop=40\nLeft=40\nHeight=492\nWidth=649\n' \
    "$(pwd)/examples/demo/demo.kvt" > "$SETTINGS"
fi

ARGS=("$@")
if [ -n "${DISPLAY:-}" ] && [ -z "${VELMORA_HEADLESS:-}" ]; then
  exec build/app/velmora "${ARGS[@]}"
fi

mkdir -p screenshots
SHOT="$(pwd)/screenshots/main-window.png"
DISP=":$(( 90 + RANDOM % 400 ))"
Xvfb "$DISP" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
trap 'kill $XVFB 2>/dev/null || true' EXIT
sleep 0.5
export DISPLAY="$DISP"
build/app/velmora "${ARGS[@]}" >/dev/null 2>&1 &
APP=$!
WID=""
for _ in $(seq 1 50); do
  WID=$(xdotool search --name '^Velmora-32 PRO' 2>/dev/null | head -1 || true)
  [ -n "$WID" ] && break
  sleep 0.2
done
if [ -z "$WID" ]; then
  echo "Velmora did not show its main window." >&2
  kill $APP 2>/dev/null || true
  exit 1
fi
sleep 3.5   # the splash box closes itself after three seconds
import -window "$WID" "$SHOT"
xdotool windowclose "$WID" 2>/dev/null || xdotool key --window "$WID" alt+x
for _ in $(seq 1 25); do kill -0 $APP 2>/dev/null || break; sleep 0.2; done
kill $APP 2>/dev/null || true
echo "Velmora ran on a virtual display; screenshot of its main window: $SHOT"
