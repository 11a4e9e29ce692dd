#!/usr/bin/env bash
# Builds the Debian packages trelvo (client and host) and trelvo-server into build/package/ and checks
# them with lintian.
#   tools/package.sh            release build, packages, lintian (fails on a lintian error)
#   tools/package.sh BUILD_DIR  packages an existing build tree configured like the one above
# The packages name whoever makes them as their maintainer: DEBFULLNAME and DEBEMAIL, as for Debian's tools.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DEBFULLNAME:-}" ] || [ -z "${DEBEMAIL:-}" ]; then
    echo "Set DEBFULLNAME and DEBEMAIL to your name and mail address: the packages name you as maintainer." >&2
    exit 2
fi

bash tools/setup.sh

build=${1:-build/package}
if [ $# -eq 0 ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRELVO_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr \
        -DTRELVO_INSTALL_GAMESDIR=games         >/dev/null
    cmake --build "$build" -j2
fi
(cd "$build" && cpack -G DEB -B "$PWD/debs" >/dev/null)
debs=("$build"/debs/*.deb)
ls -l "${debs[@]}"

# Errors fail the run; warnings are shown.
if command -v lintian >/dev/null; then
    lintian --fail-on error "${debs[@]}"
    echo "lintian: no errors"
fi
