#!/usr/bin/env python3
"""The change list's Markdown (stdin) as the plain text the zip's CHANGES.txt
holds (stdout): Notepad shows no Markdown, so the headings are underlined,
the list items begin with "・", the marks of code, emphasis and links go,
and every line is folded to fit a Notepad window (a wide character counts
two columns) without splitting a word, a path or a number, nor anything in
backticks, and without starting a line with a closing mark or ending one
with an opening mark.

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
# After these a line may end.
CLOSING = set('、。，．：；？！）」』】〉》〕］｝…')
# A code span, a run of other printable ASCII (a word, a path, a number),
# a short quote (a message, a button's name), a space, or one character.
TOKEN = re.compile(r'`[^`]*`|[!-_a-~]+|「[^「」]{1,14}」| |.')


def columns(text):
    return sum(2 if unicodedata.east_asian_width(c) in 'WFA' else 1 for c in text)


def inline(text):
    text = re.sub(r'\[([^\]]*)\]\([^)]*\)', r'\1', text)
    return re.sub(r'\*\*(.*?)\*\*', r'\1', text)


def kind(c):
    if c <= '~':
        return 'ascii'
    if c in CLOSING:
        return 'closing'
    if c in NO_END:
        return 'opening'
    if '\u3041' <= c <= '\u309f':
        return 'hiragana'
    return 'word'


def may_break(before, after):
    # Japanese has no spaces: a line may end after a closing mark, before
    # an opening one, and where kana that end a phrase (新しい, 世代に) meet
    # the kanji, katakana or Latin word of the next; never inside a word.
    if after[0] in NO_START and not after.startswith('`') or before[-1] in NO_END:
        return False
    b, a = kind(before[-1]), kind(after[0])
    return b == 'closing' or a == 'opening' or (b == 'hiragana' and a in ('word', 'ascii'))


def pieces(text):
    """What never splits, each with whether a space stood before it; a
    piece wider than a line and holding no code goes by characters."""
    out, before, gap = [], None, False
    for token in TOKEN.findall(text.strip()):
        if token == ' ':
            gap, before = True, None
            continue
        code = token.startswith('`')
        shown = token[1:-1] if code else token
        if before is not None and not may_break(before, token):
            out[-1][0] += shown
            out[-1][1] |= code
        else:
            out.append([shown, code, gap])
        before, gap = token, False
    for shown, code, gap in out:
        if code or columns(shown) <= WIDTH - 2:
            yield shown, gap
            continue
        unit = ''
        for c in shown:
            if unit and c not in NO_START and unit[-1] not in NO_END:
                yield unit, gap
                unit, gap = '', False
            unit += c
        yield unit, gap


def fold(text, first, rest):
    lines, line, empty = [], first, True
    for shown, gap in pieces(text):
        joined = (' ' if gap and not empty else '') + shown
        if empty or columns(line + joined) <= WIDTH:
            line += joined
        else:
            lines.append(line)
            line = rest + shown
        empty = False
    lines.append(line)
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
