#!/usr/bin/env bash
# package_test.sh BUILD_DIR WORK_DIR: builds the .deb packages of BUILD_DIR, unpacks them into a scratch
# root and runs the installed trelvo-host: --help, then a short game played by pointer clicks (needs
# DISPLAY). Exits 77 (skipped) without dpkg-deb or cpack.
set -euo pipefail
build=$1
work=$2
for tool in dpkg-deb cpack; do
    command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }
done
[ -n "${DISPLAY:-}" ] || { echo "skipped: no DISPLAY for the game"; exit 77; }

fail() {
    echo "FAILED: $*"
    exit 1
}

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

"$host" --help | grep -q -- '--server' || fail "trelvo-host --help"
"$root/usr/bin/trelvo-server" --help | grep -q -- '--listen' || fail "trelvo-server --help"

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
