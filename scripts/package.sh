#!/usr/bin/env bash
# Builds the release for players: dist/TELK-<version>-win64.zip, holding one
# folder TELK-<version>\ with the stripped telk.exe, the Japanese guide as
# one web page, its change list and the licence.
#
# The same commit gives the same zip, byte for byte, wherever it is built:
# the exe carries no link time, and every entry carries the commit's time
# (or SOURCE_DATE_EPOCH), fixed permissions, no extra attributes, in a fixed
# order.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

build=${TELK_PACKAGE_BUILD:-build/package}
cmake --no-warn-unused-cli -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DTELK_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target telk >/dev/null

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "no project version in $build/CMakeCache.txt" >&2; exit 1; }
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || true)}
[ -n "$epoch" ] || { echo "no commit time: run in a git clone or set SOURCE_DATE_EPOCH" >&2; exit 1; }

name=TELK-$version
stage=$build/stage
rm -rf "$stage"
mkdir -p "$stage/$name"
top=$stage/$name
# The page tells the release's day in UTC, from the same time as the entries.
released=$(TZ=UTC date -d "@$epoch" +%F)

cp "$build/telk.exe" "$top/telk.exe"
# Notepad of any Windows shows CR LF.
sed 's/$/\r/' LICENSE > "$top/LICENSE.txt"

# The guide and its change list as one page that any browser opens, even
# alone from inside the zip: pictures and licence within it.
cat docs/ja/README.md docs/ja/CHANGES.md |
  cmark-gfm --extension table --extension autolink --to html |
  python3 scripts/guide-page.py "$version" "$released" docs/screenshots LICENSE > "$top/README.html"
# Notepad shows the change list as plain text (the page keeps its
# formatting); Notepad of Windows before 10 reads UTF-8 only with its mark.
{ printf '\357\273\277'; python3 scripts/changes-text.py < docs/ja/CHANGES.md | sed 's/$/\r/'; } > "$top/CHANGES.txt"

find "$top" -type d -exec chmod 755 {} +
find "$top" -type f -exec chmod 644 {} +
chmod 755 "$top/telk.exe"
find "$top" -exec touch -h -d "@$epoch" {} +

mkdir -p dist
zip=$PWD/dist/$name-win64.zip
rm -f "$zip"
(cd "$stage" && find "$name" | LC_ALL=C sort | TZ=UTC zip -X -q -@ "$zip")
# The sum beside the zip, as "sha256sum -c" reads it in dist/.
(cd dist && sha256sum "$name-win64.zip" > "$name-win64.zip.sha256")
echo "$zip"
cut -d' ' -f1 "$zip.sha256"
