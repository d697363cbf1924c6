#!/usr/bin/env bash
# Installs what is needed, builds, and runs Stumpwright: the window, or, given
# a file, the command-line converter on it (further arguments pass through).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DSW_TESTS=OFF -DSW_BENCH=OFF >/dev/null
cmake --build "$root/build" -j"$(nproc)"
if (($#)); then
  exec "$root/build/bin/stumpwright-cli" "$@"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a "$root/build/bin/stumpwright"
fi
exec "$root/build/bin/stumpwright"
