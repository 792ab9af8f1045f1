#!/usr/bin/python3
"""Writes the C++ reference pages from Doxygen's XML: one page per subsystem folder, one
section per public header, holding the header's classes and its namespace-level names.

    reference_pages.py XML_DIR OUT_DIR
"""
import collections
import pathlib
import sys
import xml.etree.ElementTree as ET

TITLES = {
    'platform': 'Platform services', 'basis': 'Basis: vectors, numerics, streams, errors',
    'model': 'Model: components, sets and structures',
    'environment': 'Environment: elements, settings, materials',
    'formats': 'Formats: databases and exchange files', 'simulation': 'Simulation result files',
    'clipboard': 'Clipboard transfer',
}
ORDER = ['model', 'formats', 'simulation', 'environment', 'clipboard', 'basis', 'platform']
DIRECTIVE = {'function': 'doxygenfunction', 'typedef': 'doxygentypedef',
             'variable': 'doxygenvariable', 'enum': 'doxygenenum', 'define': 'doxygendefine'}


def header_of(location):
    """'qrtzdb/model/DbMolecule.h' for a location below include/, else None."""
    parts = pathlib.PurePosixPath(location).parts
    if 'qrtzdb' not in parts:
        return None
    rest = parts[len(parts) - 1 - parts[::-1].index('qrtzdb'):]
    return '/'.join(rest) if len(rest) == 3 else None


def collect(xml):
    """header -> list of (directive, target, options) in declaration order."""
    entries = collections.defaultdict(list)
    index = ET.parse(xml / 'index.xml').getroot()
    for compound in index.findall('compound'):
        kind, refid = compound.get('kind'), compound.get('refid')
        if kind not in ('class', 'struct', 'namespace', 'file'):
            continue
        root = ET.parse(xml / f'{refid}.xml').getroot().find('compounddef')
        if kind in ('class', 'struct'):
            name = root.findtext('compoundname')
            location = root.find('location')
            header = header_of(location.get('file')) if location is not None else None
            # Nested classes are shown inside the class that holds them.
            if header and name.count('::') == 1:
                entries[header].append((int(location.get('line', 0)), 'doxygen' + kind, name,
                                        [':members:', ':protected-members:']))
            continue
        wanted = ('define',) if kind == 'file' else ('function', 'typedef', 'variable', 'enum')
        prefix = '' if kind == 'file' else root.findtext('compoundname') + '::'
        names = collections.Counter(m.findtext('name') for m in root.iter('memberdef'))
        for member in root.iter('memberdef'):
            if member.get('kind') not in wanted:
                continue
            location = member.find('location')
            header = header_of(location.get('file'))
            if not header:
                continue
            target = prefix + member.findtext('name')
            if member.get('kind') == 'function' and names[member.findtext('name')] > 1:
                target += member.findtext('argsstring')
            entries[header].append((int(location.get('line', 0)), DIRECTIVE[member.get('kind')],
                                    target, []))
    return entries


def main():
    xml, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    out.mkdir(parents=True, exist_ok=True)
    entries = collect(xml)
    folders = sorted({h.split('/')[1] for h in entries},
                     key=lambda n: (ORDER.index(n) if n in ORDER else len(ORDER), n))
    for folder in folders:
        title = TITLES.get(folder, folder)
        lines = [title, '=' * len(title), '']
        for header in sorted(h for h in entries if h.split('/')[1] == folder):
            heading = f'``#include <{header}>``'
            lines += [heading, '-' * len(heading), '']
            for _, directive, target, options in sorted(entries[header]):
                lines += [f'.. {directive}:: {target}'] + [f'   {o}' for o in options] + ['']
        (out / f'{folder}.rst').write_text('\n'.join(lines))
    index = ['C++ reference', '=============', '',
             'Every public name lives in ``namespace qrtz``; ``<qrtzdb/qrtzdb.h>`` includes every',
             'header below. The pages follow the library\'s subsystems, from the structures',
             'users build to the services beneath them.', '',
             '.. toctree::', '   :maxdepth: 2', ''] + [f'   {n}' for n in folders]
    (out / 'index.rst').write_text('\n'.join(index) + '\n')


if __name__ == '__main__':
    main()
