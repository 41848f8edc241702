#!/usr/bin/env bash
# Sets everything up and starts the program on its default archive (or the archives given).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(dirname "$here")
bash "$here/build.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Kein grafischer Bildschirm gefunden (DISPLAY und WAYLAND_DISPLAY sind leer)." >&2
    echo "Das Programm liegt fertig in $top/build/bin/doxarel." >&2
    exit 1
fi
exec "$top/build/bin/doxarel" "$@"
