#!/usr/bin/env bash
# Builds Quillery's packages into build/packages/ (or $QUILL_PACKAGE_DIR): the Debian package (the installed layout
# under /usr, its dependencies read from the libraries it links) and the portable .tar.gz (the program folder with a
# file named "portable"). Arguments name CPack generators to make instead of both (DEB, TGZ; ZIP on Windows).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILL_BUILD_DIR:-$root/build}"
out="${QUILL_PACKAGE_DIR:-$build/packages}"
generators=("$@")
[ ${#generators[@]} -gt 0 ] || generators=(DEB TGZ)

"$root/scripts/setup.sh"
"$root/scripts/build.sh" quillery quillery-cli
# The man page is made where help2man is found (the configure step says so when it is not).
if ninja -C "$build" -t targets all 2>/dev/null | grep -q '^quill_manpage:'; then
    cmake --build "$build" --target quill_manpage
fi

mkdir -p "$out"
for generator in "${generators[@]}"; do
    rm -f "$out"/quillery*."$(echo "$generator" | tr 'A-Z' 'a-z' | sed 's/tgz/tar.gz/')"
    (cd "$build" && cpack -G "$generator" -B "$out" >"$out/cpack-$generator.log" 2>&1) || {
        cat "$out/cpack-$generator.log" >&2
        echo "package: cpack -G $generator failed" >&2
        exit 1
    }
done
rm -rf "$out/_CPack_Packages"
echo "package: made in $out:"
ls -1 "$out" | grep -E '\.(deb|tar\.gz|zip)$' | sed 's/^/  /'
