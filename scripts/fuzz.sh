#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# in build-fuzz/ and runs each one for SECONDS (60 unless given) on its seed corpus. Fails on
# any finding: a crash, an input that takes more than a second, a leak, undefined behaviour or
# a broken promise of a reader or of what takes a page further (player, align screen,
# printout, export). The input that caused it is left in build-fuzz/findings/<target>/.
#
#   scripts/fuzz.sh [SECONDS]            every target
#   FUZZ_TARGETS="fuzz_wave_file" scripts/fuzz.sh 600   only those named
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH="${1:-60}"
case "$SECONDS_EACH" in '' | *[!0-9]*) echo "usage: $0 [SECONDS]" >&2; exit 2 ;; esac

bash scripts/setup.sh clang libclang-rt-dev
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/velmora-test-runtime}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# The targets write each input to a scratch file; in memory, the INI writers' syncs cost little.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

OUT=build-fuzz
cmake -S fuzz -B "$OUT" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$OUT" -j"${FUZZ_JOBS:-$(nproc)}"

rm -rf "$OUT/seeds"
python3 scripts/fuzz_corpus.py "$OUT/seeds"

ALL=(fuzz_page_file fuzz_project_file fuzz_settings_file fuzz_picture fuzz_wave_file
     fuzz_page_extension fuzz_page_rows fuzz_page_show fuzz_page_print fuzz_page_export
     fuzz_remote_request)
read -r -a TARGETS <<<"${FUZZ_TARGETS:-${ALL[*]}}"
passed=0
failed=0
for t in "${TARGETS[@]}"; do
  mkdir -p "$OUT/corpus/$t" "$OUT/findings/$t"
  log="$OUT/findings/$t.log"
  echo "== $t for ${SECONDS_EACH} s"
  dict=()
  # The targets that take a page file share the page's words.
  words="fuzz/$t.dict"
  case "$t" in fuzz_page_?*) [ -f "$words" ] || words=fuzz/fuzz_page.dict ;; esac
  [ -f "$words" ] && dict=(-dict="$words")
  status=0
  # The outer timeout bounds a run whose input hangs outside libFuzzer's own watch.
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:allocator_may_return_null=0" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  LSAN_OPTIONS="suppressions=$(pwd)/fuzz/lsan.supp:print_suppressions=0" \
    timeout --kill-after=10 $((SECONDS_EACH * 2 + 120)) \
    "$OUT/$t" -max_total_time="$SECONDS_EACH" -timeout=1 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$OUT/findings/$t/" "${dict[@]}" \
      "$OUT/corpus/$t" "$OUT/seeds/$t" >"$log" 2>&1 || status=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  if [ "$status" -eq 0 ]; then
    echo "$t: ${runs:-?} executions in ${SECONDS_EACH} s, no findings"
    passed=$((passed + 1))
  else
    echo "$t: FINDING (exit $status) after ${runs:-?} executions; log $log:"
    grep -E 'ERROR|SUMMARY|runtime error|broken promise|Test unit written' "$log" | head -20 || true
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
