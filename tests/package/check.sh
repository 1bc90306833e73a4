#!/usr/bin/env bash
# Checks the release package as players and distributors meet it: what the
# zip holds, that a second build from a copy of the source gives the same
# bytes, that telk.exe needs no DLL beyond Windows' own, and that it starts
# under Wine in a fresh folder and shows the client folder window (driven
# by the end-to-end driver of build/win, which it builds when missing).
# Ends with "package: F checks failed out of T".
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
total=0; failed=0
check() { # what, command...
  local what=$1; shift
  total=$((total + 1))
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failed=$((failed + 1)); fi
}
finish() { echo "package: $failed checks failed out of $total"; [ "$failed" -eq 0 ]; exit; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

built=$(scripts/package.sh) || built=""
zip=${built%%$'\n'*}
if [ -z "$zip" ] || [ ! -f "$zip" ]; then
  check "scripts/package.sh builds the zip" false; finish
fi
name=$(basename "$zip" -win64.zip)

# The same commit, built again from a copy elsewhere.
same_when_built_again() {
  mkdir -p "$tmp/copy"
  git ls-files -co --exclude-standard | while read -r f; do [ -e "$f" ] && printf '%s\n' "$f"; done |
    tar -cf - -T - | tar -xf - -C "$tmp/copy"
  local again
  again=$(SOURCE_DATE_EPOCH=$(git log -1 --format=%ct) "$tmp/copy/scripts/package.sh") &&
    cmp "$zip" "${again%%$'\n'*}"
}
check "a second build from a copy of the source gives the same zip" same_when_built_again

unzip -q "$zip" -d "$tmp/fresh"
top=$tmp/fresh/$name
holds_what_it_should() {
  local expected actual
  expected=$(printf '%s\n' "$name/" "$name/CHANGES.txt" "$name/LICENSE.txt" "$name/README.html" "$name/telk.exe")
  actual=$(unzip -Z1 "$zip" | LC_ALL=C sort)
  [ "$expected" = "$actual" ] || { diff <(echo "$expected") <(echo "$actual"); return 1; }
  grep -q 'MIT License' "$top/LICENSE.txt" &&
    [ "$(grep -m1 -xE '[0-9]+\.[0-9]+'$'\r' "$top/CHANGES.txt")" = "${name#TELK-}"$'\r' ] &&
    ! grep -qE '^#|`|\*\*|\]\(' "$top/CHANGES.txt" &&
    grep -qx "[0-9a-f]\{64\}  $(basename "$zip")" "$zip.sha256" &&
    (cd "$(dirname "$zip")" && sha256sum --quiet -c "$(basename "$zip").sha256")
}
check "the zip holds telk.exe, the guide, the change list (plain text) with this version and the licence, nothing else; its sum beside it holds" holds_what_it_should

# CHANGES.txt, and items made to fall on each edge: no line over 74 columns,
# a name in backticks, a word or a short quote never split, no line starting
# with a closing mark or ending with an opening one.
folds_whole() {
  python3 - "$top/CHANGES.txt" <<'PY'
import re, subprocess, sys, unicodedata
rows = [(open('docs/ja/CHANGES.md', encoding='utf-8').read(), open(sys.argv[1], encoding='utf-8-sig').read(), [])]
for md, whole in [('あ' * 30 + 'の `<日時>.new` に見える', ['<日時>.new']), ('テスト、' * 8 + 'ここで新しい世代', ['新しい']),
                  ('テスト、' * 8 + 'これ「いつに戻します？」を選ぶ', ['「いつに戻します？」'])]:
    rows.append((md, subprocess.run(['python3', 'scripts/changes-text.py'], input='- ' + md, capture_output=True, text=True).stdout, whole))
bad = []
for md, text, whole in rows:
    lines = text.replace('\r', '').split('\n')
    bad += ['split: ' + t for t in whole + re.findall('`([^`]*)`', md) if sum(l.count(t) for l in lines) < md.replace('`', '').count(t)]
    bad += ['line: ' + l for l in lines if sum(1 + (unicodedata.east_asian_width(c) in 'WFA') for c in l) > 74 or
            (l[1:] if l[:1] == '・' else l.lstrip())[:1] in set('、。）」』】〉・ー…っゃゅょ') or l[-1:] in set('（「『【〈')]
sys.exit('\n'.join(bad) or None)
PY
}
check "CHANGES.txt folds between words, never inside a name in backticks, with Japanese line-breaking rules" folds_whole

links_resolve() {
  local bad=0 target
  while read -r target; do
    case $target in http://*|https://*|mailto:*|data:*) continue ;; esac
    if [[ $target == \#* ]]; then
      target=$(printf '%b' "${target//%/\\x}")
      grep -qF "id=\"${target#\#}\"" "$top/README.html" || { echo "the guide links to $target, no heading has it"; bad=1; }
      continue
    fi
    [ -e "$top/${target%%#*}" ] || { echo "the guide links to $target, which the zip lacks"; bad=1; }
  done < <(grep -oE '(src|href)="[^"]*"' "$top/README.html" | sed -E 's/^(src|href)="//; s/"$//')
  return $bad
}
check "every link and picture of the guide is in the zip, every anchor on the page" links_resolve

# Each "##"/"###" of the guide and the change list is in the contents,
# which link to the ids the headings carry and follow the quick start
# alone; each later section leads back to them; the release line tells the
# version and the UTC day.
finds_its_way() {
  local html=$top/README.html want got
  want=$(cat docs/ja/README.md docs/ja/CHANGES.md | grep -c '^###\? ')
  got=$(sed -n '/<nav class="toc"/,/<\/nav>/p' "$html" | grep -o 'href="#[^"]*"' | sed 's/href="#//; s/"$//')
  [ "$(wc -l <<<"$got")" -eq "$want" ] &&
    [ "$got" = "$(grep -oE '<h[23] id="[^"]*"' "$html" | sed 's/.*id="//; s/"$//')" ] &&
    ! grep -oE '<h[1-6] id="[^"]*"' "$html" | sed 's/.*id="//' | grep -q '[][A-Z .,:()（）「」、。？～`]' &&
    [ "$(sed '/<nav class="toc"/q' "$html" | grep -c '<h2 ')" -eq 1 ] &&
    [ "$(grep -c 'href="#目次"' "$html")" -eq "$(($(grep -c '<h2 ' "$html") - 1))" ] &&
    grep -q "バージョン ${name#TELK-}（$(TZ=UTC date -d "@${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}" +%F) リリース）" "$html"
}
check "the guide page has its contents and tells its version and day" finds_its_way

# Explorer opens README.html straight from the zip by extracting only that
# file, and players read it on phones: the page alone in a folder, in a
# frame 390 px wide, shows every picture, fetches and links to nothing
# beside it, and nothing in it reaches past the right edge but inside a box
# that scrolls sideways; every picture shows at least three quarters of
# its own size, so that its rows of text stay readable.
alone_on_a_phone() {
  mkdir -p "$tmp/alone" && cp "$top/README.html" "$tmp/alone/" || return 1
  cat > "$tmp/alone/phone.html" <<'PAGE'
<!DOCTYPE html><iframe id="f" src="README.html" style="width:390px;height:844px;border:0"></iframe><pre id="out"></pre><script>
const f = document.getElementById('f');
f.onload = () => {
  const d = f.contentDocument, width = d.documentElement.clientWidth, bad = [];
  for (const i of d.images) if (!i.naturalWidth) bad.push('a picture does not show: ' + i.getAttribute('src').slice(0, 50));
  for (const e of d.querySelectorAll('[src], [srcset], link[href]'))
    if (!/^data:/.test(e.getAttribute('src') || e.getAttribute('srcset') || e.getAttribute('href'))) bad.push('from beside it: ' + e.outerHTML.slice(0, 80));
  for (const a of d.querySelectorAll('a[href]')) if (!/^(#|https?:|mailto:)/.test(a.getAttribute('href'))) bad.push('a link beside it: ' + a.getAttribute('href'));
  for (const r of f.contentWindow.performance.getEntriesByType('resource')) bad.push('fetches ' + r.name.slice(0, 80));
  if (d.documentElement.scrollWidth > width) bad.push('the page is ' + d.documentElement.scrollWidth + ' px wide');
  const scrolls = e => e && (/auto|scroll/.test(f.contentWindow.getComputedStyle(e).overflowX) ? e.getBoundingClientRect().right <= width + 0.5 : scrolls(e.parentElement));
  for (const e of d.body.querySelectorAll('*'))
    if (!e.children.length && e.getBoundingClientRect().right > width + 0.5 && !scrolls(e)) bad.push('past the edge: ' + e.textContent.slice(0, 50));
  for (const i of d.images) if (i.width < 0.75 * i.naturalWidth) bad.push('a picture shrinks to ' + i.width + ' px of ' + i.naturalWidth + ': ' + i.alt.slice(0, 30));
  document.getElementById('out').textContent = width + ' px\n' + bad.join('\n');
};
</script>
PAGE
  local seen
  seen=$(chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --allow-file-access-from-files \
           --virtual-time-budget=10000 --dump-dom "file://$tmp/alone/phone.html" 2>/dev/null |
         sed -n '/<pre id="out">/,/<\/pre>/p' | sed 's/<[^>]*>//g')
  [ "$seen" = "390 px" ] || { echo "${seen:-chromium showed nothing}"; return 1; }
}
check "the guide's page alone shows every picture and fits 390 px" alone_on_a_phone

dlls_are_windows_own() {
  local dll bad=0
  for dll in $(x86_64-w64-mingw32-objdump -p "$top/telk.exe" | sed -n 's/.*DLL Name: //p'); do
    case ${dll,,} in
      kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|comdlg32.dll|shell32.dll|shlwapi.dll|ole32.dll|\
      oleaut32.dll|advapi32.dll|msvcrt.dll|ucrtbase.dll|api-ms-win-*.dll) ;;
      *) echo "telk.exe needs $dll"; bad=1 ;;
    esac
  done
  return $bad
}
check "telk.exe needs no DLL beyond Windows' own" dlls_are_windows_own

stripped_with_version() {
  ! x86_64-w64-mingw32-objdump -h "$top/telk.exe" | grep -q '\.debug' &&
    strings -el "$top/telk.exe" | grep -A1 -x 'ProductVersion' | tail -1 | grep -qx "${name#TELK-}"
}
check "telk.exe is stripped and carries its version" stripped_with_version

starts_in_a_fresh_folder() {
  [ -f build/win/CMakeCache.txt ] || cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build/win --target telk_e2e >/dev/null || return 1
  local display=()
  [ -n "${DISPLAY:-}" ] || display=(xvfb-run -a -s "-screen 0 1280x1024x24")
  TELK_EXE=$top/telk.exe TELK_E2E_CLIENT=$root/build/win/tests/e2e/telk_e2e_client.exe \
    "${display[@]}" cmake/wine-run.sh build/win/tests/e2e/telk_e2e.exe \
    --gtest_filter=Startup.FirstStartInAnEmptyFolderCreatesTheSettingsAndTheSlots
  local rc=$?
  WINEPREFIX=$root/build/win/wineprefix "$(command -v wineserver || echo /usr/lib/wine/wineserver64)" -k 2>/dev/null
  return $rc
}
check "the telk.exe inside starts under Wine in a fresh folder and shows the client folder window" starts_in_a_fresh_folder

finish
