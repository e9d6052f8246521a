#!/bin/sh
# Makes the Windows installer and the portable zip from the folder build.sh laid out:
#   BUILD-DIR/vantrel5-setup-<version>.exe and BUILD-DIR/vantrel5-<version>-win64.zip
# Usage: scripts/windows/package.sh BUILD-DIR
set -eu
[ $# -eq 1 ] || { echo "usage: package.sh BUILD-DIR" >&2; exit 2; }
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
stage="$build/stage"
[ -f "$stage/vantrel5.exe" ] || { echo "package.sh: $stage holds no build (run build.sh first)" >&2; exit 1; }
version=$(sed -n 's/^project(vantrel5 VERSION \([0-9.]*\) .*/\1/p' "$top/CMakeLists.txt")

# The installer's lists: every file of the folder, installed where it lies and removed by name.
lists="$build/nsis"
rm -rf "$lists"
mkdir -p "$lists"
(
    cd "$stage"
    find . -type d | sort | while read -r dir; do
        printf 'SetOutPath "$INSTDIR%s"\n' "$(printf '%s' "${dir#.}" | tr / '\\')"
        find "$dir" -maxdepth 1 -type f | sort | while read -r file; do
            printf 'File "%s/%s"\n' "$stage" "${file#./}"
        done
    done
) > "$lists/files.nsh"
(
    cd "$stage"
    find . -type f | sort | while read -r file; do
        printf 'Delete "$INSTDIR\\%s"\n' "$(printf '%s' "${file#./}" | tr / '\\')"
    done
    # Deepest folders first, and only when empty.
    find . -mindepth 1 -type d | sort -r | while read -r dir; do
        printf 'RMDir "$INSTDIR\\%s"\n' "$(printf '%s' "${dir#./}" | tr / '\\')"
    done
) > "$lists/unfiles.nsh"

setup="$build/vantrel5-setup-$version.exe"
makensis -V2 -NOCD -DVERSION="$version" -DSTAGE="$stage" -DICON="$build/dist/windows/vantrel5.ico" \
    -DFILES="$lists/files.nsh" -DUNFILES="$lists/unfiles.nsh" -DOUTFILE="$setup" \
    "$top/dist/windows/vantrel5.nsi"

# The portable zip: the same folder under a name of its own, so unpacking it makes one folder.
zip="$build/vantrel5-$version-win64.zip"
rm -rf "$build/zip" "$zip"
mkdir -p "$build/zip"
cp -r "$stage" "$build/zip/vantrel5-$version"
(cd "$build/zip" && cmake -E tar cf "$zip" --format=zip "vantrel5-$version")
rm -rf "$build/zip"
echo "$setup"
echo "$zip"
