# Sourced by the scripts that run Windows programs under wine: a wine prefix
# of our own under build/ (wine refuses a prefix another user owns, and CI
# runs as root), no display, no debug chatter, and no downloads of the .NET
# or HTML engines wine would otherwise offer. Defines $wine and sw_wine_stop.
sw_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$sw_root/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
wine="$(command -v wine64 || echo /usr/lib/wine/wine64)"
wineserver="$(command -v wineserver || echo /usr/lib/wine/wineserver)"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot --init >/dev/null 2>&1
fi
# Ends the wine server of this prefix (it lingers a few seconds otherwise).
sw_wine_stop() { "$wineserver" -k 2>/dev/null || true; }
