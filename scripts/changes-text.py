#!/usr/bin/env python3
"""The change list's Markdown (stdin) as the plain text the zip's CHANGES.txt
holds (stdout): Notepad shows no Markdown, so the headings are underlined,
the list items begin with "・", the marks of code, emphasis and links go,
and every line is folded to fit a Notepad window (a wide character counts
two columns) without splitting a word, a path or a number, and without
starting a line with a closing mark or ending one with an opening mark.

Usage: changes-text.py < CHANGES.md > CHANGES.txt
"""
import re
import sys
import unicodedata

WIDTH = 74
# Japanese line breaking: no line starts with these ...
NO_START = set('、。，．・：；？！ー々）」』】〉》〕］｝ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ),.:;!?]}…')
# ... and none ends with these.
NO_END = set('（「『【〈《〔［｛([{')
TOKEN = re.compile(r'[!-~]+| |.')


def columns(text):
    return sum(2 if unicodedata.east_asian_width(c) in 'WFA' else 1 for c in text)


def inline(text):
    text = re.sub(r'\[([^\]]*)\]\([^)]*\)', r'\1', text)
    text = re.sub(r'\*\*(.*?)\*\*', r'\1', text)
    return text.replace('`', '')


def fold(text, first, rest):
    lines, line = [], first
    tokens = TOKEN.findall(text)
    for i, token in enumerate(tokens):
        fits = columns(line) + columns(token) <= WIDTH
        if fits or token[0] in NO_START or line.strip() == '' or line in (first, rest):
            line += token
            continue
        carried = ''
        # An opening mark goes down with what it opens.
        while line and line[-1] in NO_END:
            carried, line = line[-1] + carried, line[:-1]
        lines.append(line.rstrip())
        line = rest + carried + ('' if token == ' ' else token)
    lines.append(line.rstrip())
    return lines


def main():
    out = []
    for raw in sys.stdin.read().splitlines():
        heading = re.match(r'(#+) (.*)', raw)
        item = re.match(r'- (.*)', raw)
        if heading:
            title = inline(heading.group(2))
            out += [title, ('=' if len(heading.group(1)) <= 2 else '-') * columns(title)]
        elif item:
            out += fold(inline(item.group(1)), '・', '  ')
        elif raw.strip():
            out += fold(inline(raw), '', '')
        else:
            out.append('')
    sys.stdout.write('\n'.join(out).strip('\n') + '\n')


main()
