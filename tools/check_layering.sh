#!/usr/bin/env bash
# Fails when a folder of src/, server/, netserver/ or host/ includes a folder it may not. Dependencies point one way:
# a folder may include only itself and the folders listed for it below (README.md shows the same table).
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
    [common]=""
    [sync]="common"
    [protocol]="common"
    [pipes]="common sync"
    [window]="common"
    [assets]="common"
    [kit]="common assets"
    [game/api]=""
    [game]="common protocol game/api"
    [lobby]="common assets kit game/api"
    [scene]="common assets kit lobby window game/api"
    [stats]="common sync protocol game/api"
    [app]="common sync protocol pipes window assets kit lobby game game/api scene stats"
    [server]="common protocol"
    [host]="common sync protocol pipes assets server"
    [netserver]="common protocol server"
)

# The layer a path belongs to: game/api apart from the rest of game.
layer_of() {
    case "$1" in
        game/api/*) echo game/api ;;
        */*) echo "${1%%/*}" ;;
        *) echo "" ;;
    esac
}

status=0
while IFS= read -r file; do
    case "$file" in
        src/*) rel=${file#src/} ;;
        *) rel=$file ;;
    esac
    from=$(layer_of "$rel")
    [ -n "$from" ] || continue
    if [ -z "${allowed[$from]+set}" ]; then
        echo "$file: folder '$from' has no row in the layering table"
        status=1
        continue
    fi
    while IFS= read -r line; do
        target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"$line")
        to=$(layer_of "$target")
        # A bare file name is a neighbour in the same folder.
        [ -n "$to" ] || continue
        [ -n "${allowed[$to]+set}" ] || continue
        [ "$to" = "$from" ] && continue
        if [[ " ${allowed[$from]} " != *" $to "* ]]; then
            echo "$file: '$from' may not include '$target'"
            status=1
        fi
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
done < <(find src server netserver host -type f \( -name '*.h' -o -name '*.cpp' \) 2>/dev/null | sort)

[ "$status" -eq 0 ] && echo "layering: every include points down"
exit "$status"
