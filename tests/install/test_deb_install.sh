#!/usr/bin/env bash
# The Debian package as a user meets it: built by scripts/package.sh, installed with apt-get, quillery-cli --help,
# the installed sample opened by a user made for the test, who saves its dictionary into their own data folder, the
# window started as the desktop entry says, nothing written into the installed files; then the package is purged
# and the user removed, leaving the machine as it was. Needs root (exit 77, a skip, otherwise).
# Usage: test_deb_install.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir="$1"
build_dir="$2"
say() { echo "install.deb: $*"; }
skip() {
    say "skipped: $*"
    exit 77
}

[ "$(id -u)" -eq 0 ] || skip "installing the package with apt-get needs root (CI runs as root; run ctest as root)"
for tool in apt-get dpkg-query useradd userdel runuser cpack flock timeout; do
    command -v "$tool" >/dev/null || skip "$tool is missing"
done

# One such test at a time on a machine: two would install and purge the same package under each other.
exec 9>/tmp/quillery-install-test.lock
flock -w 900 9 || skip "another install test held the lock for 15 minutes"
if dpkg-query -W -f='${Status}' quillery 2>/dev/null | grep -q "install ok installed"; then
    skip "a quillery package is installed already; the test leaves it alone"
fi

work="$(mktemp -d /tmp/quillery-deb-test.XXXXXX)"
chmod 755 "$work"
user="qltest$$"
home="/home/$user"
packages_before="$work/packages-before"
dpkg-query -W -f='${Package}\n' | sort >"$packages_before"
failures=0
check() { # check DESCRIPTION COMMAND...
    local what="$1"
    shift
    if "$@"; then
        say "ok: $what"
    else
        say "FAILED: $what"
        failures=$((failures + 1))
    fi
}

cleanup() {
    local status=$?
    apt_get purge quillery >/dev/null 2>&1
    # Whatever the install pulled in goes too.
    local added
    added="$(dpkg-query -W -f='${Package}\n' | sort | comm -13 "$packages_before" -)"
    [ -z "$added" ] || apt_get purge $added >/dev/null 2>&1
    if getent passwd "$user" >/dev/null; then userdel -r "$user" >/dev/null 2>&1; fi
    rm -rf "$work"
    local left=()
    [ ! -e /usr/share/quillery ] || left+=(/usr/share/quillery)
    [ ! -e /usr/bin/quillery-cli ] || left+=(/usr/bin/quillery-cli)
    [ ! -e "$home" ] || left+=("$home")
    ! getent passwd "$user" >/dev/null || left+=("user $user")
    [ -z "$(dpkg-query -W -f='${Package}\n' | sort | diff - "$packages_before")" ] || left+=("packages")
    if [ ${#left[@]} -gt 0 ]; then
        say "FAILED: the machine is not as it was: ${left[*]}"
        status=1
    else
        say "ok: package purged, user removed, machine as it was"
    fi
    exit "$status"
}
apt_get() {
    DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=300 "$@"
}
trap cleanup EXIT

# Build the package from this build tree.
if ! QUILL_BUILD_DIR="$build_dir" QUILL_PACKAGE_DIR="$work/packages" "$source_dir/scripts/package.sh" DEB \
    >"$work/package.log" 2>&1; then
    cat "$work/package.log"
    say "FAILED: scripts/package.sh DEB"
    exit 1
fi
deb="$(ls "$work"/packages/quillery_*.deb)"
say "built $(basename "$deb")"
depends="$(dpkg-deb -f "$deb" Depends)"
check "dependencies read from the linked libraries ($depends)" grep -q "libqt6widgets6" <<<"$depends"

if ! apt_get install --no-install-recommends "$deb" >"$work/apt.log" 2>&1; then
    cat "$work/apt.log"
    say "FAILED: apt-get install $deb"
    exit 1
fi
say "installed"

help="$(quillery-cli --help)"
check "quillery-cli --help from the shell" grep -q "^usage: quillery-cli" <<<"$help"
check "the data in /usr/share/quillery" test -f /usr/share/quillery/samples/QuillerySample.esp
check "the window's program" test -x /usr/bin/quillery
check "the desktop entry" test -f /usr/share/applications/quillery.desktop
check "the icons" test -f /usr/share/icons/hicolor/256x256/apps/quillery.png -a \
    -f /usr/share/icons/hicolor/scalable/apps/quillery.svg
check "the MIME types" test -f /usr/share/mime/packages/quillery.xml
check "the man page" test -f /usr/share/man/man1/quillery-cli.1.gz
if command -v desktop-file-validate >/dev/null; then
    check "the desktop entry is valid" desktop-file-validate /usr/share/applications/quillery.desktop
fi

# A user of their own, with an empty data folder.
useradd --create-home --home-dir "$home" --shell /bin/sh "$user"
as_user() {
    runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"
}
as_user quillery-cli /usr/share/quillery/samples/QuillerySample.esp --save-dictionary >"$work/cli.out" 2>"$work/cli.err"
status=$?
check "the user opens the installed sample and saves its dictionary (status $status)" test "$status" -eq 0
check "the log names the installed mode" grep -q "Installed program: data read from /usr/share/quillery/" \
    "$work/cli.err"
dictionary="$home/.local/share/Quillery/UserDictionary/quillerysample_en_fr.sst"
check "the dictionary lies in the user's data folder" test -s "$dictionary"
check "the dictionary belongs to the user" test "$(stat -c %U "$dictionary" 2>/dev/null)" = "$user"

# The window, started as the desktop entry's Exec line says, runs until it is closed.
exec_line="$(sed -n 's/^Exec=//p' /usr/share/applications/quillery.desktop | sed 's/ %f$//')"
runuser -u "$user" -- timeout 10 env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen \
    $exec_line /usr/share/quillery/samples/QuillerySample.esp >"$work/gui.log" 2>&1
status=$?
check "the window starts from the desktop entry and keeps running (status $status)" test "$status" -eq 124

# Nothing was written among the installed files.
check "the installed files are as packed" test -z "$(dpkg --verify quillery)"
extra="$(comm -13 <(dpkg -L quillery | sort) <(find /usr/share/quillery | sort))"
check "no file was added to /usr/share/quillery" test -z "$extra"
[ -z "$extra" ] || echo "$extra"

if [ "$failures" -gt 0 ]; then
    cat "$work/cli.err" "$work/gui.log"
    say "$failures check(s) failed"
    exit 1
fi
exit 0
