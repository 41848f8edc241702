#!/usr/bin/env bash
# Sets everything up, checks the formatting and runs every test.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(dirname "$here")
bash "$here/build.sh"
bash "$here/check-format.sh"
cd "$top/build"
ctest --output-on-failure -j2
