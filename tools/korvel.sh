#!/usr/bin/env bash
# Installs what is missing, builds Korvel (release) and opens the editor on
# the bundled oscillator model. Without a display it says so and runs the
# same model through the headless runner instead (extra arguments go to
# korvel-run then, to korvel otherwise).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" --target korvel korvel-run
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/release/src/korvel examples/oscillator.kvd "$@"
fi
echo "No display found: running examples/oscillator.kvd with korvel-run instead of the editor."
exec build/release/src/korvel-run examples/oscillator.kvd --every 0.5 "$@"
