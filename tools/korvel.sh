#!/usr/bin/env bash
# Installs what is missing, builds Korvel (release) and starts it on the
# bundled oscillator model (until the editor exists, the headless runner runs
# it and prints its variables). Extra arguments go to korvel-run.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)"
exec build/release/src/korvel-run examples/oscillator.kvd --every 0.5 "$@"
