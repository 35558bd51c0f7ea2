#!/usr/bin/env bash
# Installs what is missing, builds Velmora and runs every test: in a release build, then the
# real program on a virtual X display (scripts/xvfb_check.sh) and on a Wayland desktop of two
# screens (scripts/sway_check.sh), then once more under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
JOBS="$(nproc)"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/velmora-test-runtime}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

echo "== Release build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$JOBS"
ctest --test-dir build --output-on-failure -j"$JOBS"

if [ "${VELMORA_SKIP_XVFB:-}" != "1" ]; then
  echo "== Real-display stage under Xvfb"
  (unset QT_QPA_PLATFORM; bash scripts/xvfb_check.sh build)
  # The stage on screens of other sizes, and on a screen scaled twice (HiDPI).
  (unset QT_QPA_PLATFORM; VELMORA_XVFB_ONLY=t VELMORA_XVFB_SCREEN=1920x1080 \
    bash scripts/xvfb_check.sh build)
  (unset QT_QPA_PLATFORM; VELMORA_XVFB_ONLY=t VELMORA_XVFB_SCREEN=2560x1440 VELMORA_XVFB_SCALE=2 \
    bash scripts/xvfb_check.sh build)
fi

if [ "${VELMORA_SKIP_MEMCHECK:-}" != "1" ]; then
  echo "== The export's encoders under Valgrind"
  bash scripts/export_memcheck.sh build
fi

if [ "${VELMORA_SKIP_SWAY:-}" != "1" ]; then
  echo "== Real-display stage under Wayland, two screens (sway)"
  (unset QT_QPA_PLATFORM; bash scripts/sway_check.sh build)
fi

if [ "${VELMORA_SKIP_SANITIZERS:-}" != "1" ]; then
  echo "== AddressSanitizer and UndefinedBehaviorSanitizer build and tests"
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON >/dev/null
  cmake --build build-asan -j"$JOBS"
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
  LSAN_OPTIONS="suppressions=$(pwd)/scripts/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ctest --test-dir build-asan --output-on-failure -j"$JOBS"
fi
