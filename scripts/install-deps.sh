#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need.
# Runs as root or through sudo; does nothing when everything is present already.
set -euo pipefail

packages=(
    # toolchain
    build-essential cmake ninja-build ccache pkg-config git clang-format
    # Qt 6 and the rest of the stack
    qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
    libgl-dev libsqlite3-dev sqlite3 libpoppler-qt6-dev
    # tests
    libgtest-dev libgmock-dev
    # programs the archive calls at run time
    poppler-utils antiword catdoc xdg-utils libfile-mimeinfo-perl cups-client sane-utils
    # fonts for rendering windows headless
    fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
