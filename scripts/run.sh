#!/usr/bin/env bash
# Installs what is missing, builds, then opens FILE (or the bundled sample) in Quillery. Without a display it shows
# the same document through quillery-cli and says how to see the window.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
bin="${QUILL_BUILD_DIR:-$root/build}/bin"
file="${1:-}"
if [ -z "$file" ]; then
    for candidate in "$bin/samples/QuillerySample.esp" "$bin"/samples/*.esp "$bin"/samples/*; do
        if [ -f "$candidate" ]; then file="$candidate"; break; fi
    done
fi
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$bin/quillery" ${file:+"$file"}
fi
echo "No display found: showing the document through quillery-cli."
if [ -n "$file" ]; then
    "$bin/quillery-cli" "$file" --summary || true
fi
echo
echo "To see the window: run this on a desktop, or under a virtual display:"
echo "  xvfb-run -a $bin/quillery ${file:+\"$file\"}"
