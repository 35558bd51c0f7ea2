#!/usr/bin/env bash
# Renders the committed PNG icons again from the SVG, after a change to it.
set -euo pipefail
cd "$(dirname "$0")"
if ! command -v rsvg-convert >/dev/null; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get install -y -qq --no-install-recommends librsvg2-bin >/dev/null
fi
for size in 48 256; do
  rsvg-convert -w "$size" -h "$size" org.velmora.Velmora.svg -o "${size}x${size}/org.velmora.Velmora.png"
done
