#!/usr/bin/env bash
# Installs what is missing, builds Velmora and runs every test: in a release build, then the
# real program on a virtual X display and on a Wayland desktop of two screens (the pytest suite
# tests/display, stages chosen by its markers xvfb and wayland), then once more under
# AddressSanitizer and UndefinedBehaviorSanitizer. Each stage tells its time at its end.
# VELMORA_SKIP_XVFB=1, VELMORA_SKIP_MEMCHECK=1, VELMORA_SKIP_SWAY=1 and
# VELMORA_SKIP_SANITIZERS=1 leave a stage out.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
JOBS="$(nproc)"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/velmora-test-runtime}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

stage() {
  STAGE="$1"
  STAGE_START=$SECONDS
  echo "== $STAGE"
}
stage_done() { echo "== $STAGE: $((SECONDS - STAGE_START)) s"; }
# The real-display checks of one marker. The system's python3, the one with pyatspi; a failing
# check tells what it waited for, what it saw and the folder of its screenshots.
display_checks() {
  (unset QT_QPA_PLATFORM; VELMORA_BUILD_DIR=build \
    /usr/bin/python3 -m pytest tests/display -m "$1" -q -rf --tb=short -p no:cacheprovider)
}

stage "Release build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$JOBS"
ctest --test-dir build --output-on-failure -j"$JOBS"
stage_done

if [ "${VELMORA_SKIP_XVFB:-}" != "1" ]; then
  # Includes the stage's check on screens of other sizes and on one scaled twice (HiDPI).
  stage "Real-display checks under Xvfb"
  display_checks xvfb
  stage_done
fi

if [ "${VELMORA_SKIP_MEMCHECK:-}" != "1" ]; then
  stage "The export's encoders under Valgrind"
  bash scripts/export_memcheck.sh build
  stage_done
fi

if [ "${VELMORA_SKIP_SWAY:-}" != "1" ]; then
  stage "Real-display checks under Wayland, two screens (sway)"
  display_checks wayland
  stage_done
fi

if [ "${VELMORA_SKIP_SANITIZERS:-}" != "1" ]; then
  stage "AddressSanitizer and UndefinedBehaviorSanitizer build and tests"
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON >/dev/null
  cmake --build build-asan -j"$JOBS"
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
  LSAN_OPTIONS="suppressions=$(pwd)/scripts/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ctest --test-dir build-asan --output-on-failure -j"$JOBS"
  stage_done
fi
