#!/usr/bin/env bash
# Functions run through wait_for, which shellcheck does not follow:
# shellcheck disable=SC2317
# Velmora on a Wayland desktop of two screens: starts sway without a display (its headless
# backend, two outputs side by side), runs the built program natively on it and checks, from
# outside, where the show goes:
#
#   - the editor opens on the first output, HEADLESS-1 (1280x1024 at 0,0);
#   - Ctrl+P plays the page full screen on the other output, HEADLESS-2 (1920x1080 at 1280,0):
#     a screenshot catches the first title line mid-way on it, and a later one further on,
#     while the first output still shows the editor;
#   - Escape brings the editor back, with the keyboard's focus;
#   - Configuration > "Show Screen...", driven by keys, chooses the editor's output, which the
#     settings file then names; Ctrl+P plays the page full screen on HEADLESS-1, over the editor.
#
#   bash scripts/sway_check.sh [BUILD_DIR]      (default: build)
#
# sway will not run as root: run as root, the check runs sway and the program as an ordinary
# user (VELMORA_SWAY_USER, default velmora-check, made when missing). VELMORA_SWAY_RUNS=N runs
# the whole check N times, each on a fresh desktop; VELMORA_SWAY_KEEP=1 keeps the folder with
# every screenshot. Exit status 0 when every run passed, 1 when one failed, 2 when the check
# could not run. Each wait polls a condition up to a deadline; nothing waits a fixed time.
set -uo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD_DIR="${1:-build}"
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR="$ROOT/$BUILD_DIR" ;; esac
APP="$BUILD_DIR/app/velmora"
HELPERS="$ROOT/scripts/sway"
RUNS="${VELMORA_SWAY_RUNS:-1}"
USER_NAME="${VELMORA_SWAY_USER:-velmora-check}"

# The desktop: the editor's output and the show's, as sway lays them out.
OUT1=HEADLESS-1
OUT1_GEOM="0 0 1280 1024"
OUT2=HEADLESS-2
OUT2_GEOM="1280 0 1920 1080"

MAIN_CAPTION_START="Velmora-32 PRO "
PLAYBACK_CAPTION="Velmora Playback"
DIALOG_CAPTION="Show Screen"
# The demo's page 000: line 1, "Velmora Pro", moves in from the left to rest at x 160, orange
# to yellow with its gradient; line 2 fades in grey to white, and nothing else on the page has
# this much red and green and this little blue.
LINE1_LOW=C89600
LINE1_HIGH=FFFF78
LINE1_REST_X=160
# The demo's stage: the page is drawn scaled to fit an output and centred on it.
STAGE_W=800
STAGE_H=600
# rest_x OUTPUT_GEOMETRY: line 1's resting left edge on that output, from the output's left,
# and, second, 40 stage pixels there: a stage length n is n * scale rounded half up.
rest_x() {
  local w=$3 h=$4 num den
  if [ $((w * STAGE_H)) -le $((h * STAGE_W)) ]; then num=$w den=$STAGE_W; else num=$h den=$STAGE_H; fi
  local area=$(((2 * STAGE_W * num + den) / (2 * den)))
  echo $(((w - area) / 2 + (2 * LINE1_REST_X * num + den) / (2 * den))) $(((80 * num + den) / (2 * den)))
}

log() { printf '%s\n' "$*"; }
die() {
  printf 'sway_check: %s\n' "$*" >&2
  exit 2
}

for tool in sway swaymsg grim wtype python3 timeout convert; do
  command -v "$tool" >/dev/null 2>&1 || die "$tool is missing (bash scripts/setup.sh installs it)"
done
[ -x "$APP" ] || die "no program at $APP: build it first"
[ -e /usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqwayland-generic.so ] ||
  [ -n "$(find /usr/lib -path '*qt6/plugins/platforms/libqwayland*' -print -quit 2>/dev/null)" ] ||
  die "Qt's Wayland platform is missing (qt6-wayland; bash scripts/setup.sh installs it)"

# ---- The user sway runs as ----------------------------------------------------------------

AS_USER=()
if [ "$(id -u)" -eq 0 ]; then
  if ! id "$USER_NAME" >/dev/null 2>&1; then
    useradd --create-home --shell /usr/sbin/nologin "$USER_NAME" ||
      die "could not make the user $USER_NAME"
  fi
  command -v runuser >/dev/null 2>&1 || die "runuser is missing"
  AS_USER=(runuser -u "$USER_NAME" --)
  OWNER="$USER_NAME"
else
  OWNER="$(id -un)"
fi
as_user() { "${AS_USER[@]}" "$@"; }

WORK="$(mktemp -d "${TMPDIR:-/tmp}/velmora-sway.XXXXXX")" || die "cannot make a temporary folder"
chmod 755 "$WORK"
# The program runs from the build folder when that user can reach it, else from a copy.
if ! as_user test -x "$APP"; then
  mkdir -p "$WORK/bin"
  cp "$APP" "$WORK/bin/velmora" || die "cannot copy the program for $OWNER"
  APP="$WORK/bin/velmora"
fi
cp "$ROOT/scripts/xvfb/fonts.conf" "$WORK/fonts.conf"
chown -R "$OWNER" "$WORK" 2>/dev/null

SWAY_PID=""
APP_PID=""
KEYBOARD_PID=""
STARTED=""
FAILED=()

# ---- Time and waiting ---------------------------------------------------------------------

now_ms() {
  local t=${EPOCHREALTIME//[!0-9]/}
  echo $((t / 1000))
}

# wait_for MILLISECONDS COMMAND...: runs the command every 50 ms until it succeeds; fails once
# the time is up. The command runs at least once, and once more at the deadline.
wait_for() {
  local limit=$1
  shift
  local end=$(($(now_ms) + limit))
  while :; do
    "$@" && return 0
    [ "$(now_ms)" -ge "$end" ] && break
    sleep 0.05
  done
  "$@"
}

# ---- Processes ----------------------------------------------------------------------------

# start_as_user NAME COMMAND...: runs the command as the user in the background; its own process
# id (not that of runuser, which stays as its parent) is written to $WORK/NAME.pid. Sets STARTED
# to the background job's id.
start_as_user() {
  local name=$1
  shift
  rm -f "$WORK/$name.pid"
  # shellcheck disable=SC2016
  as_user sh -c 'echo $$ >"$0"; exec "$@"' "$WORK/$name.pid" "$@" &
  STARTED=$!
}

# stop NAME JOB: ends the process started as NAME, within 3 s, and the job that ran it.
stop() {
  local name=$1 job=$2 pid
  [ -n "$job" ] || return 0
  pid=$(cat "$WORK/$name.pid" 2>/dev/null)
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null
    local end=$(($(now_ms) + 3000))
    while kill -0 "$pid" 2>/dev/null && [ "$(now_ms)" -lt "$end" ]; do sleep 0.05; done
    kill -KILL "$pid" 2>/dev/null
  fi
  wait "$job" 2>/dev/null
}

stop_desktop() {
  stop velmora "$APP_PID"
  APP_PID=""
  stop keyboard "$KEYBOARD_PID"
  KEYBOARD_PID=""
  stop sway "$SWAY_PID"
  SWAY_PID=""
}

cleanup() {
  local status=$?
  stop_desktop
  if [ "$status" -eq 0 ] && [ -z "${VELMORA_SWAY_KEEP:-}" ]; then
    rm -rf "$WORK"
  else
    log "Screenshots and logs: $WORK"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# ---- The desktop --------------------------------------------------------------------------

RUN_DIR=""
SWAYSOCK=""
WAYLAND_SOCKET=""

sway_msg() { as_user env SWAYSOCK="$SWAYSOCK" timeout 5 swaymsg "$@"; }

sockets_ready() {
  kill -0 "$SWAY_PID" 2>/dev/null || return 1
  SWAYSOCK=$(find "$RUN_DIR/runtime" -maxdepth 1 -name 'sway-ipc.*.sock' -print -quit)
  WAYLAND_SOCKET=$(find "$RUN_DIR/runtime" -maxdepth 1 -name 'wayland-[0-9]*' ! -name '*.lock' \
    -printf '%f\n' -quit)
  [ -n "$SWAYSOCK" ] && [ -n "$WAYLAND_SOCKET" ] && sway_msg -t get_outputs >/dev/null 2>&1
}

# The outputs as sway reports them: "NAME X Y WIDTH HEIGHT" each.
outputs() {
  sway_msg -t get_outputs -r 2>/dev/null | python3 -c '
import json, sys
for o in json.load(sys.stdin):
    r = o["rect"]
    print(o["name"], r["x"], r["y"], r["width"], r["height"])'
}

start_desktop() {
  RUN_DIR="$WORK/run$1"
  mkdir -p "$RUN_DIR"/{home,runtime,config,cache,data,project,shots}
  chmod 700 "$RUN_DIR/runtime"
  cat >"$RUN_DIR/sway.conf" <<EOF
output $OUT1 resolution 1280x1024 position 0,0 bg #000000 solid_color
output $OUT2 resolution 1920x1080 position 1280,0 bg #000000 solid_color
xwayland disable
focus_on_window_activation focus
default_border none
EOF
  # The demo, its page played without the colour bars and the countdown before it, at a delay
  # that lets a move be seen mid-way (5000 us a step: line 1 comes in over about 4 s), and with
  # line 2 shown without its fade, which at that delay would hold Escape off for 8 s more (keys
  # act between the steps of a show, not inside a fade).
  cp "$ROOT"/examples/demo/* "$RUN_DIR/project/" || return 1
  sed -i 's/^UseColorBars=.*/UseColorBars=0/; s/^UseCountDown=.*/UseCountDown=0/' \
    "$RUN_DIR/project/demo.kvt"
  python3 - "$RUN_DIR/project/DEMO.000" <<'EOF' || return 1
import struct, sys
# model/page_file.h: the delay's two fields (16 bits at 314, 32 bits at 884), line 2's
# directions (827, 830).
with open(sys.argv[1], "r+b") as f:
    page = bytearray(f.read())
    struct.pack_into("<H", page, 314, 5000)
    struct.pack_into("<i", page, 884, 5000)
    page[827] = page[830] = 13  # line 2 in and out: shown as it stands
    f.seek(0)
    f.write(page)
EOF
  python3 "$ROOT/scripts/xvfb/fixtures.py" settings "$RUN_DIR/config/velmora.ini" \
    --project "$RUN_DIR/project/demo.kvt" --dir "$RUN_DIR/project/" || return 1
  chown -R "$OWNER" "$RUN_DIR"

  SWAYSOCK=""
  WAYLAND_SOCKET=""
  start_as_user sway env -i PATH="$PATH" HOME="$RUN_DIR/home" XDG_RUNTIME_DIR="$RUN_DIR/runtime" \
    WLR_BACKENDS=headless WLR_HEADLESS_OUTPUTS=2 WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$RUN_DIR/sway.conf" >"$RUN_DIR/sway.log" 2>&1
  SWAY_PID=$STARTED
  wait_for 15000 sockets_ready || {
    WHY="sway gave no sockets within 15 s: $(tail -3 "$RUN_DIR/sway.log" | tr '\n' ' ')"
    return 1
  }
  # A keyboard for the whole run. The desktop has no input devices of its own: each wtype adds
  # a keyboard for as long as it runs, and a program told of the seat's first keyboard only as
  # the keys arrive misses them. This one sleeps an hour before its one key and is ended first.
  start_as_user keyboard env XDG_RUNTIME_DIR="$RUN_DIR/runtime" WAYLAND_DISPLAY="$WAYLAND_SOCKET" \
    wtype -s 3600000 -k Shift_L >/dev/null 2>&1
  KEYBOARD_PID=$STARTED
  local have
  have=$(outputs | sort | tr '\n' ';')
  [ "$have" = "$OUT1 $OUT1_GEOM;$OUT2 $OUT2_GEOM;" ] || {
    WHY="the desktop's outputs are \"$have\", not $OUT1 at $OUT1_GEOM and $OUT2 at $OUT2_GEOM"
    return 1
  }
}

# ---- The program and its windows ----------------------------------------------------------

start_app() {
  start_as_user velmora env -i PATH="$PATH" HOME="$RUN_DIR/home" \
    XDG_RUNTIME_DIR="$RUN_DIR/runtime" XDG_CONFIG_HOME="$RUN_DIR/config" \
    XDG_CACHE_HOME="$RUN_DIR/cache" XDG_DATA_HOME="$RUN_DIR/data" \
    WAYLAND_DISPLAY="$WAYLAND_SOCKET" QT_QPA_PLATFORM=wayland FONTCONFIG_FILE="$WORK/fonts.conf" \
    "$APP" >"$RUN_DIR/velmora.log" 2>&1
  APP_PID=$STARTED
}

# where PREFIX: "OUTPUT FULLSCREEN FOCUSED VISIBLE PID" of the window whose title starts so.
where() {
  local tree="$RUN_DIR/tree.json"
  sway_msg -t get_tree -r >"$tree" 2>/dev/null || return 1
  python3 "$HELPERS/tree.py" where "$tree" "$1"
}
windows_now() {
  sway_msg -t get_tree -r 2>/dev/null | python3 "$HELPERS/tree.py" titles /dev/stdin | tr '\n' ';'
}
app_trouble() {
  if ! kill -0 "$APP_PID" 2>/dev/null; then
    echo "the program has ended (output: $(tail -3 "$RUN_DIR/velmora.log" | tr '\n' ' '))"
  else
    echo "windows: $(windows_now)"
  fi
}

# is PREFIX OUTPUT FULLSCREEN FOCUSED: the window is there, visible, on that output, full screen
# or not, focused or not ("-" for either).
PLACE=""
is() {
  PLACE=$(where "$1") || return 1
  local out fs focus visible
  read -r out fs focus visible _ <<<"$PLACE"
  [ "$visible" = 1 ] && [ "$out" = "$2" ] &&
    { [ "$3" = - ] || [ "$fs" = "$3" ]; } && { [ "$4" = - ] || [ "$focus" = "$4" ]; }
}
gone() { ! where "$1" >/dev/null; }
# The editor alone, focused on the first output.
editor_ready() {
  is "$MAIN_CAPTION_START" "$OUT1" 0 1 &&
    python3 "$HELPERS/tree.py" alone "$RUN_DIR/tree.json" "$MAIN_CAPTION_START"
}

keys() { as_user env XDG_RUNTIME_DIR="$RUN_DIR/runtime" WAYLAND_DISPLAY="$WAYLAND_SOCKET" timeout 5 wtype "$@"; }

# ---- Screenshots --------------------------------------------------------------------------

# shoot NAME: the whole desktop, both outputs, at one moment.
shoot() {
  as_user env XDG_RUNTIME_DIR="$RUN_DIR/runtime" WAYLAND_DISPLAY="$WAYLAND_SOCKET" \
    timeout 10 grim -t ppm "$RUN_DIR/shots/$1.ppm" 2>>"$RUN_DIR/grim.log"
}
keep() {
  local n
  for n in "$@"; do
    [ -f "$RUN_DIR/shots/$n.ppm" ] && convert "$RUN_DIR/shots/$n.ppm" "$RUN_DIR/$n.png" 2>/dev/null
  done
}
# line1_on NAME GEOMETRY: "LEFT TOP RIGHT BOTTOM COUNT" of line 1's colours on that output.
line1_on() {
  # shellcheck disable=SC2086
  python3 "$HELPERS/look.py" box "$RUN_DIR/shots/$1.ppm" "$LINE1_LOW" "$LINE1_HIGH" $2
}
# lit_on NAME GEOMETRY: how many sampled pixels of that output are not black.
lit_on() {
  # shellcheck disable=SC2086
  python3 "$HELPERS/look.py" lit "$RUN_DIR/shots/$1.ppm" $2
}

# ---- The checks ---------------------------------------------------------------------------

SHOT_N=0
MID=""
MID_BOX=""
# caught_mid_way OUTPUT_GEOMETRY TAG: a shot shows line 1 on that output short of its resting
# place (its left edge left of where it rests, or cut by the output's edge).
caught_mid_way() {
  SHOT_N=$((SHOT_N + 1))
  local name="$2-$SHOT_N"
  shoot "$name" || return 1
  local box
  box=$(line1_on "$name" "$1") || return 1
  local left origin rest margin
  left=${box%% *}
  origin=${1%% *}
  # shellcheck disable=SC2086
  read -r rest margin <<<"$(rest_x $1)"
  [ $((left - origin)) -lt $((rest - margin)) ] || return 1
  MID="$name"
  MID_BOX="$box"
}
LATER=""
LATER_BOX=""
# moved_on OUTPUT_GEOMETRY TAG: a later shot shows line 1 further right than the mid-way one
# (its right edge: its left one may still be cut by the output's edge).
moved_on() {
  SHOT_N=$((SHOT_N + 1))
  local name="$2-$SHOT_N"
  shoot "$name" || return 1
  local box now was
  box=$(line1_on "$name" "$1") || return 1
  read -r _ _ now _ <<<"$box"
  read -r _ _ was _ <<<"$MID_BOX"
  [ "$now" -gt "$was" ] || return 1
  LATER="$name"
  LATER_BOX="$box"
}

# play_on TAG OUTPUT GEOMETRY OTHER_GEOMETRY EDITOR_SEEN: Ctrl+P plays the page full screen on
# that output; line 1 is caught mid-way there and seen moving on; with EDITOR_SEEN 1 the other
# output shows the editor meanwhile. Escape then brings the editor back with the focus.
play_on() {
  local tag=$1 out=$2 geom=$3 other=$4 editor_seen=$5
  keys -M ctrl -k p -m ctrl || {
    WHY="wtype could not send Ctrl+P"
    return 1
  }
  wait_for 10000 is "$PLAYBACK_CAPTION" "$out" 1 - || {
    WHY="no full-screen playback window on $out within 10 s of Ctrl+P (it is: ${PLACE:-nowhere}); $(app_trouble)"
    return 1
  }
  MID=""
  wait_for 10000 caught_mid_way "$geom" "$tag" || {
    keep "$tag-$SHOT_N"
    WHY="within 10 s no shot caught line 1 on $out short of its resting place ($tag-$SHOT_N.png)"
    return 1
  }
  wait_for 5000 moved_on "$geom" "$tag" || {
    keep "$MID" "$tag-$SHOT_N"
    WHY="line 1 did not move on from its mid-way place ($MID_BOX) within 5 s ($MID.png, $tag-$SHOT_N.png)"
    return 1
  }
  keep "$MID" "$LATER"
  cp "$RUN_DIR/$MID.png" "$RUN_DIR/$tag-mid.png" && cp "$RUN_DIR/$LATER.png" "$RUN_DIR/$tag-later.png"
  local lit
  lit=$(lit_on "$MID" "$other")
  if [ "$editor_seen" = 1 ] && [ "${lit:-0}" -lt 10000 ]; then
    WHY="while the show played on $out the other output showed almost nothing ($lit lit samples; $tag-mid.png)"
    return 1
  fi
  if [ "$editor_seen" = 0 ] && line1_on "$MID" "$other" >/dev/null; then
    WHY="the show played on $out, yet line 1 is on the other output too ($tag-mid.png)"
    return 1
  fi
  log "   $tag: full screen on $out; line 1 at ${MID_BOX% *} (left top right bottom) mid-way, later at ${LATER_BOX% *}; the other output: $lit lit samples"
  # Pressed during the move, Escape acts once the move has ended.
  local esc
  esc=$(now_ms)
  keys -k Escape || {
    WHY="wtype could not send Escape"
    return 1
  }
  wait_for 20000 gone "$PLAYBACK_CAPTION" || {
    WHY="Escape left the playback window up for 20 s ($(where "$PLAYBACK_CAPTION"))"
    return 1
  }
  wait_for 5000 is "$MAIN_CAPTION_START" "$OUT1" - 1 || {
    WHY="after Escape the editor is not back on $OUT1 with the focus (it is: ${PLACE:-nowhere}); windows: $(windows_now)"
    return 1
  }
  log "   $tag: the editor back on $OUT1, focused, $(($(now_ms) - esc)) ms after Escape"
}

settings_name() {
  sed -n '/^\[VELMORA Show Screen\]/,/^\[/s/^Name=//p' "$RUN_DIR/config/velmora.ini" 2>/dev/null | head -1
}

chosen() { [ "$(settings_name)" = "$1" ]; }

# choose_screen NAME: Configuration > "Show Screen..." (the menu's last item), the screen's name
# typed to select its line (the list selects the line that starts with what is typed), Enter for
# OK; the settings file then names it.
choose_screen() {
  keys -M alt -k c -m alt && keys -k Up && keys -k Return || {
    WHY="wtype could not send the keys of Configuration > Show Screen..."
    return 1
  }
  wait_for 5000 is "$DIALOG_CAPTION" "$OUT1" - 1 || {
    shoot no-dialog && keep no-dialog
    WHY="no focused \"$DIALOG_CAPTION\" window on $OUT1 within 5 s of Alt+C Up Enter (it is: ${PLACE:-nowhere}); $(app_trouble) (no-dialog.png)"
    return 1
  }
  shoot dialog && keep dialog
  keys "$1" && keys -k Return || {
    WHY="wtype could not type into \"$DIALOG_CAPTION\""
    return 1
  }
  wait_for 5000 gone "$DIALOG_CAPTION" || {
    WHY="Enter left \"$DIALOG_CAPTION\" open for 5 s"
    return 1
  }
  wait_for 3000 chosen "$1" || {
    WHY="after OK in \"$DIALOG_CAPTION\" the settings file names \"$(settings_name)\" as the show's screen, not $1"
    return 1
  }
  log "   \"$DIALOG_CAPTION\" chose $1, kept in the settings file"
}

# The splash box: a window of the program other than the editor.
splash_seen() {
  where "" >/dev/null && ! python3 "$HELPERS/tree.py" alone "$RUN_DIR/tree.json" "$MAIN_CAPTION_START"
}

# Starts the program and waits until the editor is ready for keys: the splash box has come and
# gone, the editor alone and focused on the first output.
start_editor() {
  start_app
  wait_for 15000 splash_seen || {
    WHY="no splash box within 15 s of the start (windows: $(windows_now)); $(app_trouble)"
    return 1
  }
  wait_for 10000 editor_ready || {
    WHY="the editor was not alone and focused on $OUT1 within 10 s of the splash box (it is: ${PLACE:-nowhere}); $(app_trouble)"
    return 1
  }
}

one_run() {
  start_desktop "$1" || return 1
  start_editor || return 1
  play_on second "$OUT2" "$OUT2_GEOM" "$OUT1_GEOM" 1 || return 1
  choose_screen "$OUT1" || return 1
  play_on first "$OUT1" "$OUT1_GEOM" "$OUT2_GEOM" 0 || return 1
  stop_desktop
}

log "Program: $APP (as $OWNER)"
for run in $(seq 1 "$RUNS"); do
  log "-- run $run of $RUNS: editor on $OUT1, show on $OUT2; then $OUT1 chosen, show there"
  WHY=""
  t0=$(now_ms)
  if one_run "$run"; then
    log "   PASS ($(((($(now_ms) - t0)) / 1000)) s)"
  else
    log "   FAIL: ${WHY:-failed without saying why}"
    log "   program output: $RUN_DIR/velmora.log"
    FAILED+=("run $run: $WHY")
    stop_desktop
  fi
  # The screenshots looked at are kept as PNG files; the raw ones are large.
  rm -f "$RUN_DIR"/shots/*.ppm
done

if [ "${#FAILED[@]}" -gt 0 ]; then
  log "Wayland checks FAILED in ${#FAILED[@]} of $RUNS runs:"
  for f in "${FAILED[@]}"; do log "  $f"; done
  exit 1
fi
log "Wayland checks passed in $RUNS of $RUNS runs."
exit 0
