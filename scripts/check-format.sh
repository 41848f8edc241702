#!/usr/bin/env bash
# Fails when a C++ file of the project is not formatted by .clang-format.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
bad=()
while IFS= read -r file; do
    clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || bad+=("$file")
done < <(git ls-files '*.cpp' '*.h')
if [ ${#bad[@]} -gt 0 ]; then
    echo "Nicht nach .clang-format formatiert:" >&2
    printf '  %s\n' "${bad[@]}" >&2
    echo "Beheben mit: clang-format -i <Datei>" >&2
    exit 1
fi
echo "Formatierung geprüft: ${#bad[@]} Abweichungen."
