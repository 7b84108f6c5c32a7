#!/usr/bin/env bash
# Builds the Debian package and checks it as installed: every file in its place, the programs run from the
# installed path, one version everywhere, and the desktop entry, metainfo, manuals and systemd units pass
# their validators.
#   tools/check-package.sh BUILD_DIR
# With VARNHOLT_PACKAGE_CHECK=system (root on a throwaway machine, as in CI) the package is installed into the
# machine itself with apt, which also resolves its dependencies and runs its scripts, and the installed programs
# and units are checked; otherwise the package is only unpacked into a scratch root and run from there.
set -euo pipefail
build=$1
mode=${VARNHOLT_PACKAGE_CHECK:-scratch}

built=$(cmake --build "$build" --target package -j 2 2>&1) || { echo "$built" >&2; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$(cd "$build" && pwd)/varnholt_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "package: $deb was not built" >&2; exit 1; }

failures=0
fail() {
    echo "package: FAIL: $*" >&2
    failures=$((failures + 1))
}

# the files are checked as packed (a machine may leave out manuals when installing), the programs and the units
# where they are installed
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
if [ "$mode" = system ]; then
    [ "$(id -u)" -eq 0 ] || { echo "package: installing into the system needs root" >&2; exit 1; }
    DEBIAN_FRONTEND=noninteractive apt-get install --reinstall -y -qq --no-install-recommends "$deb" >/dev/null
    installed=
    getent passwd varnholt >/dev/null || fail "the package did not create the account varnholt"
else
    installed=$root
fi
echo "package: $(basename "$deb") installed ($mode)"

share=$root/usr/share
app=org.varnholt.Varnholt
files=(
    usr/bin/Varnholt usr/bin/varnholt-cli
    "usr/share/applications/$app.desktop" "usr/share/metainfo/$app.metainfo.xml"
    "usr/share/icons/hicolor/scalable/apps/$app.svg"
    usr/share/man/man1/varnholt-cli.1.gz usr/share/man/man1/Varnholt.1.gz usr/share/doc/varnholt/README.md
    usr/lib/systemd/system/varnholt-inventory.service usr/lib/systemd/system/varnholt-inventory.timer
    usr/lib/sysusers.d/varnholt.conf
)
for size in 16 24 32 48 64 128 256; do
    files+=("usr/share/icons/hicolor/${size}x${size}/apps/$app.png")
done
for f in "${files[@]}"; do
    [ -s "$root/$f" ] || fail "/$f is missing"
done

# dependencies found from the linked libraries; a package without them installs and then cannot start
dpkg-deb -f "$deb" Depends | grep -q 'libqt6core6' || fail "Depends lacks the Qt libraries"

# one version: the project's, in both programs (the window's from its caption text), the package, the
# metainfo release and the manuals
export QT_QPA_PLATFORM=offscreen
expect() {
    [ "$2" = "$3" ] || fail "$1 says '$2', expected '$3'"
}
expect "varnholt-cli --version" "$("$installed/usr/bin/varnholt-cli" --version)" "varnholt-cli $version"
expect "Varnholt --version" "$("$installed/usr/bin/Varnholt" --version 2>/dev/null)" "Varnholt $version"
expect "the package" "$(dpkg-deb -f "$deb" Version)" "$version"
expect "the metainfo" "$(grep -o '<release version="[^"]*"' "$share/metainfo/$app.metainfo.xml" | head -1 |
    cut -d'"' -f2)" "$version"
for page in varnholt-cli Varnholt; do
    expect "the manual $page(1)" "$(zcat "$share/man/man1/$page.1.gz" | grep '^\.TH' | cut -d'"' -f4)" \
        "Varnholt $version"
done
"$installed/usr/bin/varnholt-cli" --help | grep -q '^Usage: varnholt-cli' || fail "varnholt-cli --help"

# a hint (no main category: the entry lands in a catch-all menu) counts as well
validated=$(desktop-file-validate "$share/applications/$app.desktop" 2>&1) || fail "desktop-file-validate"
[ -z "$validated" ] || fail "desktop-file-validate: $validated"
validated=$(appstreamcli validate --no-net "$share/metainfo/$app.metainfo.xml" 2>&1) ||
    fail "appstreamcli validate: $validated"
for page in varnholt-cli Varnholt; do
    warnings=$(zcat "$share/man/man1/$page.1.gz" | LC_ALL=C.UTF-8 groff -man -ww -z 2>&1)
    [ -z "$warnings" ] || fail "the manual $page(1): $warnings"
done

units=("$installed/usr/lib/systemd/system/varnholt-inventory.service"
    "$installed/usr/lib/systemd/system/varnholt-inventory.timer")
# verify only warns about an unknown or misspelt key, which systemd then ignores: any message is a failure
if [ "$mode" = system ]; then
    verified=$(MANPATH="$share/man" systemd-analyze verify "${units[@]}" 2>&1) || fail "systemd-analyze verify"
else
    # the scratch root has no systemd of its own: the units are checked on this machine, with the program
    # taken from the scratch root
    mkdir "$root/verify"
    sed "s|^ExecStart=/usr/bin/|ExecStart=$root/usr/bin/|" "${units[0]}" >"$root/verify/varnholt-inventory.service"
    cp "${units[1]}" "$root/verify/"
    verified=$(MANPATH="$share/man" systemd-analyze verify "$root"/verify/varnholt-inventory.{service,timer} 2>&1) ||
        fail "systemd-analyze verify"
    sysusers=$(systemd-sysusers --dry-run --root="$root" 2>&1) || fail "systemd-sysusers: $sysusers"
fi
[ -z "$verified" ] || fail "systemd-analyze verify: $verified"
grep -q "^ExecStart=/usr/bin/varnholt-cli --base-folder /var/lib/varnholt inventory$" "${units[0]}" ||
    fail "the service does not run the installed varnholt-cli"

if [ "$failures" -ne 0 ]; then
    echo "package: $failures check(s) failed" >&2
    exit 1
fi
echo "package: all checks passed"
