#!/usr/bin/env bash
# Renders the main window's screenshots for docs/screenshots/ from the window tests (offscreen).
# Usage: bash scripts/screenshots.sh [build folder, default: build]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
out="$root/docs/screenshots"
mkdir -p "$out"
ninja -C "$build" mainwindow_tests doxarel_logo
shots="$(mktemp -d)"
trap 'rm -rf "$shots"' EXIT
QT_QPA_PLATFORM=offscreen DOXAREL_SCREENSHOT_DIR="$shots" "$build/tests/mainwindow_tests" \
    --gtest_filter='MainWindowTest.FirstStart*:MainWindowTest.AnArchiveThatCannotBeOpened*:MainWindowTest.ThePermanentSearch*' >/dev/null
for name in mainwindow.png mainwindow-grouped.png no-archive.png mainwindow-search.png; do
    cp "$shots/$name" "$out/$name"
done
echo "Screenshots in $out"
