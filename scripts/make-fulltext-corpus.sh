#!/usr/bin/env bash
# Makes the text corpus of bench_fulltext: German man pages, German HTML manuals and PDF manuals
# taken from Debian documentation packages, as plain files in one folder.
#
#   scripts/make-fulltext-corpus.sh [--small] <folder>
#
# The packages are fetched with "apt-get download" (no root needed; the package lists must be
# current, "apt-get update") into a temporary folder and unpacked with "dpkg-deb -x". From each
# package a fixed selection of its files is copied, chosen from the file list sorted byte-wise, so
# the same package versions always give the same corpus:
#
#   manpages-de                    man pages, decompressed, named <page>.<section>.txt
#   debian-reference-de            the HTML pages
#   libreoffice-help-de            every 3rd HTML page
#   texlive-lang-german            the PDF files
#   r-doc-pdf                      the PDF files
#   texlive-latex-recommended-doc  the PDF files
#   texlive-latex-base-doc         the PDF files
#
# With --small: every 8th man page, every 25th LibreOffice page, the Debian reference and every 4th
# PDF of texlive-lang-german only (a few hundred files, for quick runs).
#
# The folder must be empty, missing, or hold an earlier corpus (which is replaced). It receives
# PACKAGES (the package versions used) and SHA256SUMS (every file of the corpus); two corpora made
# from the same versions have the same SHA256SUMS.
set -euo pipefail
export LC_ALL=C

small=0
folder=
for arg in "$@"; do
    case "$arg" in
    --small) small=1 ;;
    -h | --help)
        sed -n '2,26p' "$0" | sed 's/^# \{0,1\}//'
        exit 0
        ;;
    -*)
        echo "unknown option: $arg" >&2
        exit 2
        ;;
    *)
        [ -z "$folder" ] || {
            echo "only one folder, please" >&2
            exit 2
        }
        folder=$arg
        ;;
    esac
done
[ -n "$folder" ] || {
    echo "usage: $0 [--small] <folder>" >&2
    exit 2
}
for tool in apt-get dpkg-deb gzip sha256sum; do
    command -v "$tool" >/dev/null || {
        echo "$tool is missing (scripts/install-deps.sh installs what is needed)" >&2
        exit 1
    }
done

mkdir -p "$folder"
folder=$(cd "$folder" && pwd)
if [ -n "$(ls -A "$folder")" ] && [ ! -f "$folder/PACKAGES" ]; then
    echo "$folder is not empty and holds no earlier corpus; choose an empty folder" >&2
    exit 1
fi

if [ $small -eq 1 ]; then
    packages=(manpages-de debian-reference-de libreoffice-help-de texlive-lang-german)
else
    packages=(manpages-de debian-reference-de libreoffice-help-de texlive-lang-german r-doc-pdf
        texlive-latex-recommended-doc texlive-latex-base-doc)
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/fulltext-corpus.XXXXXX")
trap 'rm -rf "$work"' EXIT
# apt's download user must be able to write there when this runs as root.
chmod 0755 "$work"
mkdir -m 0777 "$work/debs"

echo "Downloading ${packages[*]} ..."
(cd "$work/debs" && apt-get download -q "${packages[@]}" >/dev/null)
for p in "${packages[@]}"; do
    deb=$(ls "$work/debs/${p}"_*.deb 2>/dev/null | head -n 1)
    [ -n "$deb" ] || {
        echo "apt-get did not fetch $p" >&2
        exit 1
    }
    mkdir -p "$work/root/$p"
    dpkg-deb -x "$deb" "$work/root/$p"
    dpkg-deb -f "$deb" Package Version | sed 's/^[^:]*: //' | paste -sd ' ' >>"$work/PACKAGES"
done

# Keeps every n-th line of the sorted list on stdin, beginning with the first.
every() { awk -v n="$1" '(NR - 1) % n == 0'; }

# Regular files below a package's folder whose path matches the pattern, sorted, relative.
files() {
    (cd "$work/root/$1" && find . -type f -path "./$2" -printf '%P\n' | sort)
}

# Copies the listed files (relative to the package's root) below <folder>/<package>/, dropping
# the prefix given.
copy() {
    local package=$1 prefix=$2 path target
    while IFS= read -r path; do
        target="$folder/$package/${path#"$prefix"}"
        mkdir -p "$(dirname "$target")"
        cp "$work/root/$package/$path" "$target"
    done
}

rm -rf "$folder"/* "$folder/PACKAGES" "$folder/SHA256SUMS"

if [ $small -eq 1 ]; then
    man_step=8 lo_step=25 pdf_step=4
else
    man_step=1 lo_step=3 pdf_step=1
fi

# Man pages: usr/share/man/de/man1/ls.1.gz becomes manpages-de/man1/ls.1.txt.
files manpages-de 'usr/share/man/de/man*/*.gz' | every $man_step | while IFS= read -r path; do
    relative=${path#usr/share/man/de/}
    target="$folder/manpages-de/${relative%.gz}.txt"
    mkdir -p "$(dirname "$target")"
    gzip -dc "$work/root/manpages-de/$path" >"$target"
done
files debian-reference-de 'usr/share/doc/debian-reference-de/*.html' | copy debian-reference-de usr/share/doc/debian-reference-de/
files libreoffice-help-de 'usr/share/libreoffice/help/de/*.html' | every $lo_step |
    copy libreoffice-help-de usr/share/libreoffice/help/de/
files texlive-lang-german 'usr/share/doc/*.pdf' | every $pdf_step | copy texlive-lang-german usr/share/doc/
if [ $small -eq 0 ]; then
    for p in r-doc-pdf texlive-latex-recommended-doc texlive-latex-base-doc; do
        files $p 'usr/share/doc/*.pdf' | copy $p usr/share/doc/
    done
fi

cp "$work/PACKAGES" "$folder/PACKAGES"
(cd "$folder" && find . -type f ! -name PACKAGES ! -name SHA256SUMS -printf '%P\0' | sort -z |
    xargs -0 -r sha256sum >"$work/SHA256SUMS")
mv "$work/SHA256SUMS" "$folder/SHA256SUMS"

count=$(wc -l <"$folder/SHA256SUMS")
size=$(cd "$folder" && find . -type f ! -name PACKAGES ! -name SHA256SUMS -printf '%s\n' |
    awk '{ s += $1 } END { printf "%.1f", s / 1048576 }')
echo "$count files, $size MiB in $folder"
for kind in txt html pdf; do
    echo "  .$kind: $(grep -c "\.$kind\$" "$folder/SHA256SUMS" || true)"
done
