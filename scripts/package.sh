#!/usr/bin/env bash
# Builds the release for players: dist/TELK-<version>-win64.zip, holding one
# folder TELK-<version>\ with the stripped telk.exe, the Japanese guide as a
# web page with its pictures, and the licence.
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
mkdir -p "$stage/$name/images"
top=$stage/$name
# The page tells the release's day in UTC, from the same time as the entries.
released=$(TZ=UTC date -d "@$epoch" +%F)

cp "$build/telk.exe" "$top/telk.exe"
# Notepad of any Windows shows CR LF.
sed 's/$/\r/' LICENSE > "$top/LICENSE.txt"

# The guide as one page that any browser opens; its pictures beside it.
{
  cat <<EOF
<!DOCTYPE html>
<html lang="ja">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>TELK $version の使い方</title>
<style>
body { font-family: "Yu Gothic UI", Meiryo, "Noto Sans CJK JP", sans-serif; line-height: 1.7; max-width: 52em; margin: 2em auto; padding: 0 1em; color: #222; }
img { max-width: 100%; border: 1px solid #ccc; }
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #bbb; padding: .3em .6em; vertical-align: top; }
th { background: #f0f0f0; }
code { font-family: "BIZ UDGothic", "MS Gothic", "Noto Sans Mono CJK JP", monospace; font-size: 1em; background: #f4f4f4; padding: 0 .2em; word-break: auto-phrase; overflow-wrap: break-word; }
h1, h2 { border-bottom: 1px solid #ddd; }
.release { color: #555; margin-top: -.5em; }
.toc { background: #f8f8f8; border: 1px solid #ddd; padding: .5em 1.2em; }
.toc-title { font-weight: bold; margin: .3em 0; }
.toc ul { margin: 0; padding-left: 1.4em; }
</style>
</head>
<body>
EOF
  cmark-gfm --extension table --extension autolink --to html docs/ja/README.md |
    python3 scripts/guide-page.py "$version" "$released" |
    sed -e 's|src="\.\./screenshots/|src="images/|g' \
        -e 's|href="\.\./\.\./LICENSE"|href="LICENSE.txt"|g'
  printf '</body>\n</html>\n'
} > "$top/README.html"
for picture in $(grep -o 'src="images/[^"]*"' "$top/README.html" | sed 's|src="images/||; s|"$||' | sort -u); do
  cp "docs/screenshots/$picture" "$top/images/$picture"
done

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
