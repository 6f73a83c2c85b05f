#!/usr/bin/env bash
# The real editor in a real X server (Xvfb), in two steps:
#
# 1. korvel itself, started on a bundled example with fresh settings: waits
#    for its window by name, checks the caption, waits until the example's
#    blocks are drawn (their black outlines, nodes and glyphs in the window),
#    takes a screenshot, then leaves through File > Exit with the keyboard and
#    checks the exit status.
# 2. The editor's on-screen test (tests/app/canvas_screen_test.cpp) on the
#    xcb platform: the main window shows two bundled examples at zoom 1 and,
#    after Ctrl+I, zoom 2; each screen is kept as a picture and every block's
#    fill just inside a corner of its body is probed in the pixels the X
#    server shows.
#
# The pictures stay in the output folder (default build/gui-smoke) for
# people to look at; the last lines list them.
#
# Needs xvfb, xdotool, x11-apps and imagemagick (tools/install-deps.sh) and a
# release build of korvel and of its tests.
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-build/gui-smoke}")"
mkdir -p "$out"
rm -f "$out"/*.png
export KORVEL_BIN="$PWD/build/release/src/korvel"
export KORVEL_APP_TESTS="$PWD/build/release/tests/korvel_app_tests"
export KORVEL_MODEL="$PWD/examples/oscillator.kvd"
export SMOKE_OUT="$out"
export XDG_CONFIG_HOME="$out/config"
rm -rf "$XDG_CONFIG_HOME"

xvfb-run -a -s "-screen 0 1280x1024x24" bash -euo pipefail -c '
  "$KORVEL_BIN" "$KORVEL_MODEL" >"$SMOKE_OUT/korvel.log" 2>&1 &
  pid=$!
  wid=$(timeout 30 xdotool search --sync --name "^Korvel:  " | head -n 1)
  name=$(xdotool getwindowname "$wid")
  echo "caption: $name"
  [ "$name" = "Korvel:  $KORVEL_MODEL" ] || { echo "unexpected caption"; exit 1; }
  # Blocks are outlined, their nodes and glyphs drawn in pure black, on the
  # white page; the oscillator has seven blocks and six wires. (An empty
  # page shows about 200 black pixels, from the menus and palette; the
  # example about 3000.) Wait, bounded, until the window shows them.
  black_pixels() {
    import -window "$wid" "$SMOKE_OUT/korvel-window.png"
    convert "$SMOKE_OUT/korvel-window.png" -fill white +opaque "#000000" -fill black -opaque "#000000" \
      -negate -format "%[fx:round(mean*w*h)]" info:
  }
  fill=0
  for _ in $(seq 40); do
    fill=$(black_pixels)
    [ "$fill" -ge 1500 ] && break
    sleep 0.25
  done
  echo "black drawing pixels: $fill"
  [ "$fill" -ge 1500 ] || { echo "the blocks are not drawn"; exit 1; }
  import -window root "$SMOKE_OUT/korvel.png"
  # File > Exit: the menu opens with Alt+F; from the bottom, Up passes the one
  # recent file and reaches Exit.
  xdotool windowfocus --sync "$wid"
  xdotool key --delay 200 alt+f Up Up Return
  status=0
  timeout 20 tail --pid="$pid" -f /dev/null || { echo "korvel did not exit"; kill "$pid"; exit 1; }
  wait "$pid" || status=$?
  echo "exit status: $status"
  [ "$status" -eq 0 ] || exit "$status"

  QT_QPA_PLATFORM=xcb KORVEL_SCREENSHOT_DIR="$SMOKE_OUT" timeout 120 "$KORVEL_APP_TESTS" \
    --gtest_filter=CanvasOnScreen.* --gtest_brief=1
'
# A skipped on-screen test would pass without pictures.
for example in oscillator pi_loop; do
  for zoom in 1 2; do
    [ -s "$out/$example-zoom$zoom.png" ] || { echo "no picture $example-zoom$zoom.png"; exit 1; }
  done
done
echo "gui smoke test passed; pictures:"
ls -1 "$out"/*.png
