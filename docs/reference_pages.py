#!/usr/bin/python3
"""Writes the C++ reference pages: one per subsystem folder, one section per public header."""
import pathlib
import sys

TITLES = {
    'platform': 'Platform services', 'basis': 'Basis: vectors, numerics, streams, errors',
    'model': 'Model: components, sets and structures',
    'environment': 'Environment: elements, settings, materials',
    'formats': 'Formats: databases and exchange files', 'simulation': 'Simulation result files',
    'clipboard': 'Clipboard transfer',
}
ORDER = ['model', 'formats', 'simulation', 'environment', 'clipboard', 'basis', 'platform']


def main():
    include, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    out.mkdir(parents=True, exist_ok=True)
    folders = sorted((d.name for d in include.iterdir() if d.is_dir()),
                     key=lambda n: (ORDER.index(n) if n in ORDER else len(ORDER), n))
    for name in folders:
        title = TITLES.get(name, name)
        lines = [title, '=' * len(title), '']
        for header in sorted((include / name).glob('*.h')):
            rel = f'qrtzdb/{name}/{header.name}'
            lines += [f'``<{rel}>``', '-' * (len(rel) + 6), '',
                      f'.. doxygenfile:: {rel}', '   :project: qrtzdb', '']
        (out / f'{name}.rst').write_text('\n'.join(lines))
    index = ['C++ reference', '=============', '',
             'Every public name lives in ``namespace qrtz``; ``<qrtzdb/qrtzdb.h>`` includes every',
             'header below. The pages follow the library\'s subsystems, from the structures',
             'users build to the services beneath them.', '',
             '.. toctree::', '   :maxdepth: 1', ''] + [f'   {n}' for n in folders]
    (out / 'index.rst').write_text('\n'.join(index) + '\n')


if __name__ == '__main__':
    main()
