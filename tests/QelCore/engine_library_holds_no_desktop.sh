#!/usr/bin/env bash
# The engine library stays off the desktop: building it compiles no file of
# the desktop layers (Platform/Desktop, Input, Audio, Clipboard, Net,
# EventLoop), it needs no Qt, X11, XCB, PulseAudio, D-Bus or curl library, and
# it holds no symbol of theirs, defined or wanted, exported or local.
#   $1 the library, $2 the ninja program, $3 the build folder (the compile
#   check is left out when no ninja is given)
set -euo pipefail
library=$1
ninja=${2:-}
build=${3:-}
failed=0
fail() { echo "$*" >&2; failed=1; }

layers='Platform/(Desktop|Input|Audio|Clipboard|Net|EventLoop)/'
if [[ $ninja == *ninja* ]]; then
    compiled=$("$ninja" -C "$build" -t commands QelCore | grep -oE "$layers[^ ]*\.(cpp|c)" | sort -u || true)
    [[ -z $compiled ]] || fail "building the engine library compiles desktop files:"$'\n'"$compiled"
fi

needed=$(readelf -d "$library" | grep -F '(NEEDED)' | grep -oE '\[[^]]*\]' || true)
desktopLibraries=$(grep -E 'lib(Qt|X11|xcb|X[a-z]|pulse|dbus|curl)' <<<"$needed" || true)
[[ -z $desktopLibraries ]] || fail "the engine library needs desktop libraries: $desktopLibraries"

# Raw symbol names: C functions by their prefixes (xcb_, X..., pa_, curl_,
# dbus_, q/qt_ helpers), C++ ones by a Qt class's name after its length in
# the mangled name ("7QObject"; QelCore's own "7QelCore" has a lower case
# second letter).
symbols=$( (nm "$library" 2>/dev/null; nm -D "$library") | awk '{print $NF}' | sort -u)
desktopSymbols=$(grep -E '^(xcb_|X[A-Z]|_X[A-Z]|pa_|curl_|dbus_|qt_|q[A-Z])|[0-9]Q[A-Z]' <<<"$symbols" || true)
[[ -z $desktopSymbols ]] || fail "the engine library holds desktop symbols:"$'\n'"$(head -20 <<<"$desktopSymbols")"

[[ $failed -eq 0 ]] && echo "The engine library holds no desktop layer ($(wc -l <<<"$symbols") symbols checked)."
exit $failed
