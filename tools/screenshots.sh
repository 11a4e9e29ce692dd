#!/usr/bin/env bash
# Sets up the machine, builds the screenshot tool and renders the demo scenes and the picture gallery
# into ./screenshots/ (no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target trelvo_screenshot
mkdir -p screenshots
runtime=$(mktemp -d)
chmod 700 "$runtime"
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=offscreen
tool=build/default/tools/screenshot/trelvo_screenshot
for scene in $("$tool" --list); do
    "$tool" "$scene" "screenshots/$scene.png"
done
"$tool" --gallery screenshots/gallery.png
ls -l screenshots
