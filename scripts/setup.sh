#!/usr/bin/env bash
# Installs, with apt-get, whatever Velmora's build, program and checks need and
# is still missing. Quiet and quick when everything is there already. Further package names
# on the command line are installed as well (scripts/fuzz.sh asks for clang this way).
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libqt6opengl6-dev
  libasound2-dev libgl-dev
  fonts-liberation2 fonts-dejavu-core
  # titles in every script: Noto for Arabic, Hebrew, Indic, Thai and more, CJK, emoji
  fonts-noto-core fonts-noto-cjk fonts-noto-color-emoji
  # the remote control: HTTP and WebSocket, OSC (and oscsend for its checks), the web remote
  # looked at in a real browser
  qt6-httpserver-dev qt6-websockets-dev liblo-dev liblo-tools chromium curl python3-websocket
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libswresample-dev
  xvfb xdotool x11-apps x11-utils imagemagick poppler-utils python3
  # the real-display checks: a pytest suite, its screenshots read with numpy
  python3-pytest python3-numpy
  # the real-display stage reads windows through the accessibility bus (AT-SPI)
  dbus at-spi2-core python3-pyatspi gir1.2-atspi-2.0
  # the Wayland stage: a headless desktop of two screens, its screenshots and keys
  sway grim wtype qt6-wayland
  # installing: the Debian package, the validators of the desktop files
  dpkg-dev file fakeroot desktop-file-utils appstream shared-mime-info
  # the export's encoders under Valgrind: FFmpeg's own code is not built with the sanitizers
  valgrind
  "$@"
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "Done."
