#!/usr/bin/python3
"""Doxygen's input filter for the public headers, which comment in plain // lines.

A line that is only a // comment becomes a /// comment and a // comment after a declaration on
its line becomes ///<. A comment above a run of declarations (no blank line between them)
speaks for the whole run, as the headers use it: each later member of the run gets the same
text as a /** */ block on its own line. Line numbers stay as they are, so Doxygen's warnings
point at the header's own lines.
"""
import re
import sys

COMMENT = re.compile(r'^(\s*)//(?!/)(.*)$')
TRAILING = re.compile(r'^(.*?[;{,)])\s*//(?!/)\s?(.*)$')
COMPOUND = re.compile(r'^\s*(class|struct|union|namespace|enum|template)\b')
ACCESS = re.compile(r'^\s*(public|protected|private)\s*:')


def plain(text):
    """Comment text as Doxygen should show it: backslashes and angle brackets are text here."""
    return text.replace('\\', '\\\\').replace('<', '\\<').replace('>', '\\>')


def top_level_split(text):
    """Splits at the commas outside brackets, braces and template arguments."""
    parts, depth, start = [], 0, 0
    for k, ch in enumerate(text):
        if ch in '([{<':
            depth += 1
        elif ch in ')]}>':
            depth -= 1
        elif ch == ',' and depth == 0:
            parts.append(text[start:k])
            start = k + 1
    return parts + [text[start:]]


DECLARATOR = re.compile(r'^(.*?[\w>&*])\s+(\w+\s*(\[[^\]]*\])?\s*(=.*)?)$')


def split_declarators(line, doc):
    """int a = 0, b = 0; as int a = 0; /** doc */ int b = 0; so that Doxygen documents each."""
    if line.lstrip().startswith('/**'):
        head, _, body = line.partition('*/')
        return head + '*/' + split_declarators(body, doc)
    code, semi, rest = line.partition(';')
    if not semi or '(' in code or code.strip().startswith(('return', 'using', 'typedef')):
        return line
    parts = top_level_split(code)
    first = DECLARATOR.match(parts[0])
    if len(parts) < 2 or not first:
        return line
    kind = first.group(1).strip().split('/** ')[-1].split('*/')[-1].strip()
    tail = ''.join(f'; /** {doc} */ {kind} {p.strip()}' for p in parts[1:])
    return parts[0] + tail + ';' + rest


# Special members whose declaration says all there is to say.
SPECIAL = [
    (re.compile(r'^\s*(explicit\s+)?(\w+)\(\)\s*=\s*default;'), 'An empty object.'),
    (re.compile(r'^\s*(\w+)\(const \1&\s*\w*\)\s*=\s*default;'), 'Copies member by member.'),
    (re.compile(r'^\s*(\w+)& operator=\(const \1&\s*\w*\)\s*=\s*default;'),
     'Assigns member by member.'),
    (re.compile(r'^\s*(\w+)\((const )?\1&&?\s*\w*\)\s*=\s*delete;'), 'Not copyable.'),
    (re.compile(r'^\s*(\w+)& operator=\((const )?\1&&?\s*\w*\)\s*=\s*delete;'),
     'Not assignable.'),
]


USING = re.compile(r'^\s*using\s+(\w+)::(\w+)\s*;\s*$')
DESTRUCTOR = re.compile(r'^\s*(virtual\s+)?~')


def special(line):
    """The text of a defaulted or deleted special member, else None."""
    for pattern, text in SPECIAL:
        if pattern.match(line):
            return text
    return None


def indent(line):
    return len(line) - len(line.lstrip())


def is_plain(line):
    """A declaration line that may belong to a run."""
    s = line.strip()
    return bool(s) and not s.startswith(('//', '#', '}')) and not COMPOUND.match(line) \
        and not ACCESS.match(line)


def group_runs(lines):
    """Gives every declaration of a run that follows a comment the comment's text."""
    out = list(lines)
    i = 0
    while i < len(lines):
        if not COMMENT.match(lines[i]) or i + 1 >= len(lines) or not is_plain(lines[i + 1]):
            i += 1
            continue
        first = i
        while first > 0 and COMMENT.match(lines[first - 1]):
            first -= 1
        text = plain(' '.join(COMMENT.match(c).group(2).strip() for c in lines[first:i + 1]))
        text = text.replace('*/', '* /').replace('/*', '/ *')
        start = i + 1
        followers = []
        level = indent(lines[start])
        j = start + 1
        while j < len(lines):
            line = lines[j]
            s = line.strip()
            if not s or COMMENT.match(line) and indent(line) <= level:
                break
            if indent(line) > level or s.startswith('}') and indent(line) == level \
                    and not s.startswith('};') or COMMENT.match(line):
                pass  # a continuation or an inline body
            elif is_plain(line) and indent(line) == level:
                # Destructors and defaulted or deleted copy members speak for themselves.
                if not special(line) and not DESTRUCTOR.match(line):
                    followers.append(j)
            else:
                break
            j += 1
        for k in [start] + followers:
            out[k] = split_declarators(lines[k], text)
        for k in followers:
            out[k] = out[k][:level] + '/** ' + text + ' */ ' + out[k][level:]
        i = j
    return out


def main():
    with open(sys.argv[1], encoding='utf-8') as f:
        lines = f.read().split('\n')
    documented = [n > 0 and bool(COMMENT.match(lines[n - 1])) for n in range(len(lines))]
    lines = group_runs(lines)
    for n, line in enumerate(lines):
        # A using-declaration that brings a base's overloads in would list them twice; the base
        # documents them.
        using = USING.match(line)
        if using and using.group(1) != using.group(2):
            lines[n] = ''
            continue
        text = special(line)
        if text and not documented[n]:
            lines[n] = line[:indent(line)] + f'/** {text} */ ' + line[indent(line):]
            continue
        m = COMMENT.match(line)
        if m:
            lines[n] = m.group(1) + '///' + plain(m.group(2))
            continue
        m = TRAILING.match(line)
        if m and '"' not in line.split('//')[0][-1:]:
            split = split_declarators(m.group(1), plain(m.group(2)))
            if split != m.group(1):  # several declarators share the comment
                lines[n] = split[:indent(split)] + f'/** {plain(m.group(2))} */ ' + \
                    split[indent(split):]
            else:
                lines[n] = m.group(1) + ' ///< ' + plain(m.group(2))
    sys.stdout.write('\n'.join(lines))


if __name__ == '__main__':
    main()
