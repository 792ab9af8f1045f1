#!/usr/bin/python3
"""Writes the qrtz command reference from the tool's own --help texts, so it lists what the
built tool does: one section per command, nested commands under their group."""
import pathlib
import re
import subprocess
import sys

SUBCOMMAND = re.compile(r'^  (\S+)\s')

INTRO = '''\
The qrtz tool
=============

``qrtz`` works on the library's files from the shell. Files are known by their extension:
``.mol`` molecular database, ``.cry`` crystal, ``.mcr`` molecular crystal, ``.bdl`` bundle,
``.sdf`` MDL SD file, ``.mop`` MOPAC-style geometry text, ``.qsf`` QSF object tables, ``.sim``
simulation results. Errors go to standard error with the file and line at fault; the exit status
is 0 on success, 1 for bad input and 2 for bad usage. Outputs are written through a temporary
file, so a failed command never leaves a half-written file.

The sections below are the tool's own ``--help`` texts.
'''


def help_text(qrtz, words):
    done = subprocess.run([qrtz, *words, '--help'], capture_output=True, text=True, check=True)
    return done.stdout.replace(qrtz, 'qrtz').rstrip()


def subcommands(text):
    lines = text.split('\n')
    if 'Subcommands:' not in lines:
        return []
    start = lines.index('Subcommands:') + 1
    return [m.group(1) for m in map(SUBCOMMAND.match, lines[start:]) if m]


def section(qrtz, words, level, out):
    text = help_text(qrtz, words)
    if words:
        title = 'qrtz ' + ' '.join(words)
        out += [f'``{title}``', level * (len(title) + 4), '']
    out += ['.. code-block:: text', ''] + ['   ' + l if l else '' for l in text.split('\n')] + ['']
    for word in subcommands(text):
        section(qrtz, words + [word], '-' if not words else '~', out)


def main():
    qrtz, target = sys.argv[1], pathlib.Path(sys.argv[2])
    out = [INTRO]
    section(qrtz, [], '-', out)
    target.write_text('\n'.join(out) + '\n')


if __name__ == '__main__':
    main()
