#!/usr/bin/env bash
# package_test.sh BUILD_DIR WORK_DIR: builds the .deb packages of BUILD_DIR, unpacks them into a scratch
# root, reads what they say about themselves (licence, software-centre entry, unit, addresses) and runs
# the installed trelvo-host: --help, then a short game played by pointer clicks (needs DISPLAY). Exits 77
# (skipped) without dpkg-deb or cpack, or, after the other checks, without DISPLAY.
set -euo pipefail
build=$1
work=$2
for tool in dpkg-deb cpack; do
    command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }
done
fail() {
    echo "FAILED: $*"
    exit 1
}

# The packages name whoever makes them as maintainer; this scratch build is made by this machine's user.
export DEBFULLNAME=${DEBFULLNAME:-Package test} DEBEMAIL=${DEBEMAIL:-$(id -un)@localhost}
rm -rf "$work/debs" "$work/root" "$work/config"
mkdir -p "$work/root" "$work/config"
(cd "$build" && cpack -G DEB -B "$work/debs" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
for deb in "$work"/debs/trelvo_*.deb "$work"/debs/trelvo-server_*.deb; do
    [ -f "$deb" ] || fail "no package $deb"
    dpkg-deb -x "$deb" "$work/root"
done

root=$work/root
host=$(find "$root/usr" -path '*/trelvo-host' -type f | head -n 1)
[ -x "$host" ] || fail "trelvo-host is not in the package"
[ -x "$root/usr/libexec/trelvo/trelvo" ] || fail "the client is not in libexec/trelvo"
for file in usr/bin/trelvo-server usr/lib/systemd/system/trelvo-server.service \
    usr/share/applications/org.trelvo.Trelvo.desktop usr/share/metainfo/org.trelvo.Trelvo.metainfo.xml \
    usr/share/icons/hicolor/48x48/apps/trelvo.png usr/share/man/man6/trelvo-host.6.gz \
    usr/share/man/man6/trelvo.6.gz usr/share/man/man6/trelvo-server.6.gz; do
    [ -f "$root/$file" ] || fail "$file is not in the packages"
done

# What the packages say about themselves: the licence, the server's unit with its state folder, and no
# address the project does not own (the guides may still show one as an example of the reader's own).
grep -q '^License: MIT' "$root/usr/share/doc/trelvo/copyright" || fail "copyright does not name the MIT licence"
metainfo=$root/usr/share/metainfo/org.trelvo.Trelvo.metainfo.xml
grep -q '<project_license>MIT</project_license>' "$metainfo" || fail "the AppStream file names no licence"
unit=$root/usr/lib/systemd/system/trelvo-server.service
grep -q '^StateDirectory=trelvo-server$' "$unit" || fail "the unit gives the server no state folder"
grep -q '^ExecStart=/usr/bin/trelvo-server' "$unit" || fail "the unit does not start the installed server"
for deb in "$work"/debs/*.deb; do
    if dpkg-deb -f "$deb" | grep -i 'example\.\(org\|com\|net\)'; then fail "$deb names a placeholder address"; fi
done
if grep -rIil --exclude='*.md' 'example\.\(org\|com\|net\)' "$root"; then fail "a placeholder address in the files above"; fi
if zgrep -il 'example\.\(org\|com\|net\)' "$root"/usr/share/man/man6/*.gz "$root"/usr/share/doc/*/changelog.gz; then
    fail "a placeholder address in the manual pages or changelogs above"
fi

"$host" --help | grep -q -- '--server' || fail "trelvo-host --help"
"$root/usr/bin/trelvo-server" --help | grep -q -- '--listen' || fail "trelvo-server --help"

[ -n "${DISPLAY:-}" ] || { echo "skipped: no DISPLAY for the game (the packages' files were checked)"; exit 77; }

# A short game: the installed host must start the installed client, not the one of the build tree.
log=$work/game.log
XDG_CONFIG_HOME="$work/config" QT_LOGGING_RULES="trelvo.host.debug=true" \
    "$host" --autoplay --seed 7 --bot-think-ms 20 --countdown-tick-ms 20 --round-end-pause-ms 50 \
    --quit-after 18 >"$log" 2>&1 || { tail -n 40 "$log"; fail "the installed host did not end cleanly"; }
grep -q "starting $root/usr/libexec/trelvo/trelvo -start" "$log" || { tail -n 40 "$log"; fail "not the installed client"; }
grep -q "server → client: 9;" "$log" || { tail -n 40 "$log"; fail "no game started"; }
grep -Eq "client → server: (10|11|12|14);" "$log" || { tail -n 40 "$log"; fail "the player's seat played no card"; }
grep -q "^geometry=" "$work/config/trelvo/trelvo.conf" || fail "the window's place was not kept"
echo "the installed packages play: $(grep -c 'client → server' "$log") moves sent"
