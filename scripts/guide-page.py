#!/usr/bin/env python3
"""The guide as cmark-gfm writes it (stdin) made into the page players get
(stdout): one self-contained document, since Explorer opens README.html
straight from the zip by extracting only that file. Its pictures are
embedded and the licence is on the page; every heading carries the anchor
GitHub gives it; after the first section (the quick start) come the
contents, and each later section ends with a way back to them.

Usage: guide-page.py VERSION YYYY-MM-DD PICTURE-FOLDER LICENCE-FILE
"""
import base64
import html
import os
import re
import sys
import unicodedata

HEADING = re.compile(r'<h([1-6])>(.*?)</h\1>', re.S)
TABLE = re.compile(r'<table>.*?</table>', re.S)
PICTURE = re.compile(r'<img src="\.\./screenshots/([^"/]+\.png)"([^>]*)>')
# A picture wider than this would shrink on a phone (a column of some
# 366 px) to under three quarters of its size, its rows of text too small
# to read: it keeps its size and scrolls sideways in a box of its own, on
# a PC too where it is wider than the page (the undo window's rows).
WIDE_PICTURE = 480
LINK = re.compile(r'href="([^"#][^"]*)"')
TOKEN = re.compile(r'(<[^>]*>)')
# Japanese text may wrap between characters (at phrases where the browser
# knows them). In code everything else holds together: a run of words with
# their placeholders, the spaces between them included ("Program Files
# (x86)"); in a command block only the words do.
WIDE = '\u3000-\u303f\u3040-\u30ff\u3400-\u9fff\uff01-\uff0e\uff10-\uff60'
UNIT = r'(?:<[^<>\s]*>|〈[^〈〉]*〉|[^\s' + WIDE + r'])'
WORDS = re.compile(UNIT + r'(?: *' + UNIT + r')*')
WORD = re.compile(UNIT + '+')
SHORT_QUOTE = re.compile(r'「[^「」]{1,14}」')
# A CJK face draws "←" and "→" across their whole em box, so a plain space
# between them shows as none: arrow keys named in a row stand an en space
# apart.
ARROW_GAP = re.compile('(?<=[\u2190-\u2193]) (?=[\u2190-\u2193])')
BACK = '<p class="back"><a href="#目次">↑ 目次へ戻る</a></p>'

STYLE = '''\
body { font-family: "Yu Gothic UI", Meiryo, "Noto Sans CJK JP", sans-serif; line-height: 1.7; max-width: 52em; margin: 2em auto; padding: 0 1em; color: #222; word-break: auto-phrase; }
img { max-width: 100%; height: auto; border: 1px solid #ccc; }
.wide { display: block; overflow-x: auto; }
.wide img { max-width: none; }
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #bbb; padding: .3em .6em; vertical-align: top; }
th { background: #f0f0f0; }
code { font-family: "BIZ UDGothic", "MS Gothic", "Noto Sans Mono CJK JP", monospace; font-size: 1em; background: #f4f4f4; padding: 0 .2em; }
pre { background: #f4f4f4; padding: .5em .8em; white-space: pre-wrap; }
pre code { padding: 0; }
.licence { background: #f8f8f8; border: 1px solid #ddd; padding: 0 1em; font-size: .85em; }
.nw { white-space: nowrap; }
code .line { display: inline-block; max-width: 100%; background: inherit; }
h1, h2 { border-bottom: 1px solid #ddd; }
.release { color: #555; margin-top: -.5em; }
.toc { background: #f8f8f8; border: 1px solid #ddd; padding: .5em 1.2em; }
.toc-title { font-weight: bold; margin: .3em 0; }
.toc ul { margin: 0; padding-left: 1.4em; }
.back { text-align: right; font-size: .9em; }
@media (max-width: 40em) {
  body { margin: 1em auto; padding: 0 .7em; }
  ul, ol { padding-left: 1.5em; }
  /* A phone has no room for columns beside a long name or message: each
     row becomes a card, each cell headed by its column's name. */
  table.cards, table.cards tbody, table.cards tr, table.cards td { display: block; }
  table.cards thead { display: none; }
  table.cards tr { border: 1px solid #bbb; margin: .8em 0; }
  table.cards td { border: 0; border-top: 1px solid #e4e4e4; }
  table.cards td:first-child { border-top: 0; background: #f8f8f8; }
  table.cards td::before { content: attr(data-label); display: block; font-size: .8em; color: #666; }
}
'''


def anchor(text):
    # GitHub's rule: lower case; letters, marks, digits, "_", "-" and spaces
    # stay (so Japanese does), the rest goes; spaces become "-".
    kept = []
    for c in text.lower():
        kind = unicodedata.category(c)
        if c in ' -' or kind[0] in 'LM' or kind in ('Nd', 'Nl', 'Pc'):
            kept.append(c)
    return ''.join(kept).replace(' ', '-')


def plain(fragment):
    return html.unescape(re.sub(r'<[^>]*>', '', fragment))


def nowrap(text):
    return f'<span class="nw">{html.escape(text, quote=False)}</span>'


def words(piece, pattern):
    # The line mark stays with the character before it.
    tail = ''
    if piece.endswith('／') and re.match('[' + WIDE + ']', piece[-2:-1]) and piece[-2] != '〉':
        piece, tail = piece[:-2], nowrap(piece[-2:])
    cut, last = [], 0
    for m in pattern.finditer(piece):
        cut += [html.escape(piece[last:m.start()], quote=False), nowrap(m.group(0))]
        last = m.end()
    return ''.join(cut) + html.escape(piece[last:], quote=False) + tail


def code_text(text, pattern):
    # A message wraps after its line mark "／" (each of its lines a box of
    # its own), a path after its "\" or "/", and Japanese between phrases only
    # where one line is wider than the screen; a file name, a placeholder
    # or an English word never.
    out = []
    for line in re.split(r'(?<=／)', html.unescape(text)):
        if not line:
            continue
        joined = '<wbr>'.join(words(p, pattern) for p in re.split(r'(?<=[\\/])', line) if p)
        if re.search('[' + WIDE + ']', line.rstrip('／')):
            joined = f'<span class="line">{joined}</span>'
        out.append(joined)
    return '<wbr>'.join(out)


def prose_text(text, alone_in_cell):
    text = ARROW_GAP.sub('\u2002', text)
    # A button's name or a short caption stays on one line.
    if alone_in_cell and len(plain(text)) <= 12:
        return f'<span class="nw">{text}</span>'
    return SHORT_QUOTE.sub(lambda m: f'<span class="nw">{m.group(0)}</span>', text)


def wrap_text(body):
    tokens = TOKEN.split(body)
    in_code = in_pre = False
    for i, token in enumerate(tokens):
        if token.startswith('<'):
            if token.startswith('<code') or token == '</code>':
                in_code = token != '</code>'
            elif token.startswith('<pre') or token == '</pre>':
                in_pre = token != '</pre>'
            continue
        if not token.strip():
            continue
        if in_code:
            tokens[i] = code_text(token, WORD if in_pre else WORDS)
        else:
            cell = (i >= 1 and re.match(r'<t[dh][ >]', tokens[i - 1]) is not None and
                    i + 1 < len(tokens) and tokens[i + 1] in ('</td>', '</th>'))
            tokens[i] = prose_text(token, cell)
    return ''.join(tokens)


def with_labels(m):
    # Tables turn into cards on a phone; each cell carries its column's name
    # for the card to show.
    table = m.group(0)
    names = [html.escape(plain(h)) for h in re.findall(r'<th[^>]*>(.*?)</th>', table, re.S)]
    rows = []
    for row in re.split(r'(?=<tr>)', table):
        n = iter(names)
        rows.append(re.sub(r'<td([^>]*)>', lambda c: f'<td{c.group(1)} data-label="{next(n, "")}">', row))
    return ''.join(rows).replace('<table>', '<table class="cards">', 1)


def embed(folder):
    def picture(m):
        with open(os.path.join(folder, m.group(1)), 'rb') as f:
            data = f.read()
        img = '<img src="data:image/png;base64,' + base64.b64encode(data).decode('ascii') + '"' + m.group(2) + '>'
        # The width in the PNG header (IHDR).
        return img if int.from_bytes(data[16:20], 'big') <= WIDE_PICTURE else f'<span class="wide">{img}</span>'
    return picture


def main():
    version, date, pictures, licence = sys.argv[1:5]
    body = sys.stdin.read().replace('<!-- raw HTML omitted -->\n', '')
    seen = {}
    toc = []

    def with_id(m):
        level, inner = int(m.group(1)), m.group(2)
        base = anchor(plain(inner))
        # A repeated heading gets -1, -2, ... as on GitHub.
        slug, n = base, seen.get(base, 0)
        while slug in seen:
            n += 1
            slug = f'{base}-{n}'
        seen[base] = n
        seen[slug] = 0
        if level in (2, 3):
            toc.append((level, slug, inner))
        return f'<h{level} id="{slug}">{inner}</h{level}>'

    body = HEADING.sub(with_id, body)
    body = TABLE.sub(with_labels, body)

    # The guide's links to its neighbours in the repository lead to what
    # the page itself holds; anything else would be missing when opened alone.
    # The licence's paragraphs reflow; its line ends are only a text file's.
    with open(licence, encoding='utf-8') as f:
        licence_text = ''.join(f'<p>{html.escape(" ".join(p.split()), quote=False)}</p>\n'
                               for p in f.read().strip().split('\n\n'))
    targets = {'../../LICENSE': '#licence', 'CHANGES.md': '#変更点'}

    def relink(m):
        if re.match(r'(https?|mailto):', m.group(1)):
            return m.group(0)
        if m.group(1) not in targets:
            sys.exit(f'guide-page.py: the page would link to {m.group(1)}, which it does not hold')
        return f'href="{targets[m.group(1)]}"'
    body = LINK.sub(relink, body)
    at = body.find('</p>', body.find('href="#licence"'))
    if at < 0:
        sys.exit('guide-page.py: the guide does not link to its licence')
    at += len('</p>\n')
    body = body[:at] + f'<div class="licence" id="licence" lang="en">\n{licence_text}</div>\n' + body[at:]

    nav = ['<nav class="toc" id="目次">', '<p class="toc-title">目次</p>', '<ul>']
    open_sub = False
    for level, slug, inner in toc:
        if level == 3 and not open_sub:
            nav[-1] = nav[-1].removesuffix('</li>')
            nav.append('<ul>')
            open_sub = True
        elif level == 2 and open_sub:
            nav.append('</ul></li>')
            open_sub = False
        nav.append(f'<li><a href="#{slug}">{inner}</a></li>')
    if open_sub:
        nav.append('</ul></li>')
    nav += ['</ul>', '</nav>']

    # The quick start first, then the contents; every later section ends
    # with the way back.
    sections = re.split(r'(?=<h2 )', body)
    if len(sections) < 3:
        sys.exit('guide-page.py: the guide needs a quick start and sections after it')
    release = f'<p class="release">バージョン {html.escape(version)}（{date} リリース）</p>\n'
    head, rest = sections[0], sections[1:]
    first = head.find('</h1>')
    if first < 0:
        sys.exit('guide-page.py: the guide has no first heading')
    first += len('</h1>\n')
    page = (head[:first] + release + head[first:] + rest[0] + '\n'.join(nav) + '\n' +
            ''.join(s + BACK + '\n' for s in rest[1:]))
    page = PICTURE.sub(embed(pictures), wrap_text(page))

    sys.stdout.write(f'''<!DOCTYPE html>
<html lang="ja">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>TELK {html.escape(version)} の使い方</title>
<style>
{STYLE}</style>
</head>
<body>
{page}</body>
</html>
''')


main()
