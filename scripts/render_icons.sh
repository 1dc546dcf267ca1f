#!/usr/bin/env bash
# Renders packaging/icons/quillery.svg into the PNG sizes the desktop uses and the Windows .ico (PNG entries), which
# are committed beside it. Run it after changing the drawing; it needs rsvg-convert (librsvg2-bin, which
# scripts/setup.sh installs) and python3.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
icons="$root/packaging/icons"
sizes=(16 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
    rsvg-convert --width "$size" --height "$size" "$icons/quillery.svg" --output "$icons/quillery-$size.png"
done
# An .ico is a directory of images; Windows Vista and later read PNG entries of any size up to 256.
python3 - "$icons" "$root/packaging/windows/quillery.ico" "${sizes[@]}" <<'PY'
import struct, sys
icons, target, sizes = sys.argv[1], sys.argv[2], [int(s) for s in sys.argv[3:]]
images = [open(f"{icons}/quillery-{s}.png", "rb").read() for s in sizes]
out = struct.pack("<HHH", 0, 1, len(images))
offset = 6 + 16 * len(images)
for size, data in zip(sizes, images):
    side = 0 if size >= 256 else size
    out += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
open(target, "wb").write(out + b"".join(images))
PY
echo "render_icons: wrote ${#sizes[@]} PNG sizes and packaging/windows/quillery.ico"
