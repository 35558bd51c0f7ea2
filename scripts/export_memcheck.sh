#!/usr/bin/env bash
# The export's pixels go through FFmpeg's converters and encoders, whose vector code reads and
# writes past the edges of what it is handed; the sanitizers do not see into those libraries.
# Renders one page of the demo in each video format at sizes whose right edge and last rows
# the export's 64 x 16 tiles do not fill, under Valgrind, and fails on any invalid read or
# write.
#
#   bash scripts/export_memcheck.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${1:-build}"
RENDER="$BUILD_DIR/tools/velmora-render"
[ -x "$RENDER" ] || { echo "export_memcheck: no $RENDER: build it first" >&2; exit 2; }
command -v valgrind >/dev/null || { echo "export_memcheck: valgrind is missing (scripts/setup.sh)" >&2; exit 2; }
# Valgrind 3.19 knows no RDTSCP, which FFmpeg's libhwy runs while it is loaded on some
# processors: there the program cannot start under Valgrind at all, before any of its code.
probe_rc="$( (QT_QPA_PLATFORM=offscreen valgrind -q "$RENDER" --help >/dev/null 2>&1; echo $?) 2>/dev/null)"
if [ "$probe_rc" -eq 132 ]; then
  echo "export_memcheck: skipped: Valgrind stops on an instruction of this processor while the"
  echo "  FFmpeg libraries load (illegal instruction), before the program runs"
  exit 0
fi
WORK="$(mktemp -d "${TMPDIR:-/tmp}/velmora-memcheck.XXXXXX")"
trap 'rm -rf "$WORK"' EXIT
cp -r examples/demo "$WORK/demo"
failed=0
for size in 800x600 720x576; do
  for format in mp4 mov webm; do
    log="$WORK/$size.$format.log"
    if QT_QPA_PLATFORM=offscreen valgrind -q --error-exitcode=9 \
      "$RENDER" "$WORK/demo/demo.kvt" -o "$WORK/out-$size.$format" --size "$size" \
      --pages 2-2 --quiet >"$log" 2>&1; then
      echo "$size $format: no invalid access"
    else
      echo "$size $format: FAILED"
      grep -m 12 -E "Invalid|at 0x|by 0x" "$log" || tail -20 "$log"
      failed=1
    fi
  done
done
exit "$failed"
