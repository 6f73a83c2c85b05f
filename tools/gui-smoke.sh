#!/usr/bin/env bash
# The real editor in a real X server: starts korvel under Xvfb on a bundled
# example with fresh settings, waits for its window by name, takes a
# screenshot, checks the caption and that the example's blocks are drawn
# (their black outlines, nodes and glyphs in the window), then leaves through File > Exit with the
# keyboard and checks the exit status. The screenshot stays in the output
# folder (default build/gui-smoke) for people to look at.
#
# Needs xvfb, xdotool, x11-apps and imagemagick (tools/install-deps.sh) and a
# release build of korvel.
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-build/gui-smoke}")"
mkdir -p "$out"
export KORVEL_BIN="$PWD/build/release/src/korvel"
export KORVEL_MODEL="$PWD/examples/oscillator.kvd"
export SMOKE_OUT="$out"
export XDG_CONFIG_HOME="$out/config"
rm -rf "$XDG_CONFIG_HOME"

xvfb-run -a -s "-screen 0 1280x1024x24" bash -euo pipefail -c '
  "$KORVEL_BIN" "$KORVEL_MODEL" >"$SMOKE_OUT/korvel.log" 2>&1 &
  pid=$!
  wid=$(timeout 30 xdotool search --sync --name "^Korvel:  " | head -n 1)
  sleep 1
  name=$(xdotool getwindowname "$wid")
  echo "caption: $name"
  [ "$name" = "Korvel:  $KORVEL_MODEL" ] || { echo "unexpected caption"; exit 1; }
  import -window root "$SMOKE_OUT/korvel.png"
  # Blocks are outlined, their nodes and glyphs drawn in pure black, on the
  # white page; the oscillator has seven blocks and six wires.
  import -window "$wid" "$SMOKE_OUT/korvel-window.png"
  fill=$(convert "$SMOKE_OUT/korvel-window.png" -fill white +opaque "#000000" -fill black -opaque "#000000" \
         -negate -format "%[fx:round(mean*w*h)]" info:)
  echo "black drawing pixels: $fill"
  # (an empty page shows about 200, from the menus and palette; the example about 3000)
  [ "$fill" -ge 1500 ] || { echo "the blocks are not drawn"; exit 1; }
  # File > Exit: the menu opens with Alt+F; from the bottom, Up passes the one
  # recent file and reaches Exit.
  xdotool windowfocus --sync "$wid"
  xdotool key --delay 200 alt+f Up Up Return
  status=0
  timeout 20 tail --pid="$pid" -f /dev/null || { echo "korvel did not exit"; kill "$pid"; exit 1; }
  wait "$pid" || status=$?
  echo "exit status: $status"
  exit "$status"
'
echo "gui smoke test passed; screenshot: $out/korvel.png"
