#!/usr/bin/env python3
"""The guide's body as cmark-gfm writes it (stdin) made into the page players
get (stdout): every heading carries the anchor GitHub gives it, and after the
first heading come the release line and a table of contents.

Usage: guide-page.py VERSION YYYY-MM-DD
"""
import html
import re
import sys
import unicodedata

HEADING = re.compile(r'<h([1-6])>(.*?)</h\1>', re.S)
CODE = re.compile(r'<code>.*?</code>', re.S)


def anchor(text):
    # GitHub's rule: lower case; letters, marks, digits, "_", "-" and spaces
    # stay (so Japanese does), the rest goes; spaces become "-".
    kept = []
    for c in text.lower():
        kind = unicodedata.category(c)
        if c in ' -' or kind[0] in 'LM' or kind in ('Nd', 'Nl', 'Pc'):
            kept.append(c)
    return ''.join(kept).replace(' ', '-')


def main():
    version, date = sys.argv[1], sys.argv[2]
    body = sys.stdin.read()
    seen = {}
    toc = []

    def with_id(m):
        level, inner = int(m.group(1)), m.group(2)
        base = anchor(html.unescape(re.sub(r'<[^>]*>', '', inner)))
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
    # Code wraps between phrases (the style asks so); it may also wrap after
    # a folder's "\\" or a message's line mark "／".
    body = CODE.sub(lambda m: re.sub(r'([\\／])(?!<)', r'\1<wbr>', m.group(0)), body)

    nav = ['<nav class="toc">', '<p class="toc-title">目次</p>', '<ul>']
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

    release = f'<p class="release">バージョン {html.escape(version)}（{date} リリース）</p>'
    first = body.find('</h1>')
    if first < 0:
        sys.exit('guide-page.py: the guide has no first heading')
    first += len('</h1>\n')
    sys.stdout.write(body[:first] + release + '\n' + '\n'.join(nav) + '\n' + body[first:])


main()
